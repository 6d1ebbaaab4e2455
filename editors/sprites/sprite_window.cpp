#include "editors/sprites/sprite_window.h"

#include "editors/common/labels.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

SpriteWindow::SpriteWindow(EditorHost& host, const SpriteEditorConfig& config)
    : TableWindow(host, config.objectName, config.caption, config.widthTwips, config.heightTwips, *config.table),
      m_numberPrefix(config.numberPrefix)
{
    const int w = config.widthTwips;
    QLabel* status = makeStatusLine(w);
    QListWidget* entries =
        makeList(QStringLiteral("List1"), twipsRect(0, 240, w, config.listHeightTwips), labelList(config.labels));

    const BuiltControls controls = buildControls(this, {config.table}, config.controls);
    auto* save = controls.get<QPushButton>("Save");

    bind(status, entries, save);
    Form_Load();
    fitWindow();
}

QString SpriteWindow::readCaption(int index) const { return m_numberPrefix + QString::number(index); }

namespace {

using enum ControlKind;

// under the list: the five fields in rows 360 twips apart, each caption a
// little lower than its field, and the Save frame
constexpr ControlRow kCharacterControls[] = {
    {Panel, "Frame1", {}, 0, 1845, 4935, 2040},
    {Caption, "Label1", "Frame1", 120, 150, 2400, 255, "sprite-starting-location"},
    {Entry, "Text1", "Frame1", 3480, 120, 1215, 285, "sprite-starting-location"},
    {Caption, "Label2", "Frame1", 120, 510, 2400, 255, "sprite-starting-animation"},
    {Entry, "Text2", "Frame1", 3480, 480, 1215, 285, "sprite-starting-animation"},
    {Caption, "Label3", "Frame1", 120, 870, 2400, 255, "sprite-palette"},
    {Entry, "Text3", "Frame1", 3480, 840, 1215, 285, "sprite-palette"},
    {Caption, "Label4", "Frame1", 120, 1230, 2400, 255, "sprite-assembly"},
    {Entry, "Text4", "Frame1", 3480, 1200, 1215, 285, "sprite-assembly"},
    {Caption, "Label5", "Frame1", 120, 1590, 2400, 255, "sprite-size"},
    {Entry, "Text5", "Frame1", 3480, 1560, 1215, 285, "sprite-size"},
    {Panel, "Frame2", {}, 0, 3885, 4935, 930},
    {Button, "Save", "Frame2", 120, 240, 4695, 495, "Save"},
};

constexpr ControlRow kNpcControls[] = {
    {Panel, "Frame1", {}, 0, 2520, 5895, 2040},
    {Caption, "Label1", "Frame1", 120, 150, 2400, 255, "sprite-starting-location"},
    {Entry, "Text1", "Frame1", 4440, 120, 1215, 285, "sprite-starting-location"},
    {Caption, "Label2", "Frame1", 120, 510, 2400, 255, "sprite-starting-animation"},
    {Entry, "Text2", "Frame1", 4440, 480, 1215, 285, "sprite-starting-animation"},
    {Caption, "Label3", "Frame1", 120, 870, 2400, 255, "sprite-palette"},
    {Entry, "Text3", "Frame1", 4440, 840, 1215, 285, "sprite-palette"},
    {Caption, "Label4", "Frame1", 120, 1230, 2400, 255, "sprite-assembly"},
    {Entry, "Text4", "Frame1", 4440, 1200, 1215, 285, "sprite-assembly"},
    {Caption, "Label5", "Frame1", 120, 1590, 2400, 255, "sprite-size"},
    {Entry, "Text5", "Frame1", 4440, 1560, 1215, 285, "sprite-size"},
    {Panel, "Frame2", {}, 0, 4560, 5895, 975},
    {Button, "Save", "Frame2", 120, 240, 5655, 495, "Save"},
};

}  // namespace

QWidget* createCharacterWindow(EditorHost& host)
{
    return new SpriteWindow(host, {QStringLiteral("Character"), QStringLiteral("Character "), &tables::characterSprites,
                                   QStringLiteral("characters"), QStringLiteral("Character Number "), 4935, 4815, 1605,
                                   kCharacterControls});
}

QWidget* createNpcWindow(EditorHost& host)
{
    return new SpriteWindow(host, {QStringLiteral("NPC"), QStringLiteral("NPC "), &tables::npcSprites,
                                   QStringLiteral("npcs"), QStringLiteral("NPC Number "), 5895, 5535, 2280, kNpcControls});
}
