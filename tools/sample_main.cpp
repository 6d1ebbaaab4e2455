// Writes a generated sample image: veldra-forge-sample FILE
#include "rom/sample_image.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: veldra-forge-sample FILE\n";
        return 2;
    }
    const Status done = writeSampleImage(argv[1]);
    if (!done) {
        std::cerr << done.error() << "\n";
        return 1;
    }
    std::cout << "wrote a 4 MiB sample image to " << argv[1] << "\n";
    return 0;
}
