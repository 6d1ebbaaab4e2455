#pragma once

#include "rom/tables.h"

#include <QString>

#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>

class QWidget;

// A window's controls declared as data: one row per control, in the order
// they are made (later rows lie over earlier ones where they overlap), each
// placed in twips inside the control named as its parent.
enum class ControlKind : std::uint8_t {
    Panel,    // a plain frame (QFrame, styled panel)
    Group,    // a frame with a title (QGroupBox); `text` is the title
    Caption,  // a label showing the caption of field `field`, the buddy of that field's control
    Entry,    // an entry field for field `field`, with its entry rule
    Choice,   // a value drop-down for field `field`, filled from its value list
    Box,      // a check box for bit field `field`, captioned as the bit
    Button,   // a push button; `text` is its caption
};

enum class ControlStyle : std::uint8_t {
    Plain,
    RightAligned,  // a caption right-aligned up to its field
    NoRule,        // an entry field that keeps its text as typed (Save refuses what does not convert)
};

struct ControlRow {
    ControlKind kind;
    std::string_view name;    // the object name; may be empty for a caption
    std::string_view parent;  // the object name of the frame it lies in; empty: the window (or page) itself
    int left;
    int top;
    int width;
    int height;
    // Caption, Field, Choice, Box: the field, by the key the tool uses for it
    // (or its control name); Group, Button: the text shown
    std::string_view text = {};
    ControlStyle style = ControlStyle::Plain;
};

// The controls a table made, by object name.
class BuiltControls {
public:
    QWidget* operator[](std::string_view name) const;
    template <typename T>
    T* get(std::string_view name) const { return static_cast<T*>((*this)[name]); }

private:
    friend BuiltControls buildControls(QWidget*, std::initializer_list<const Table*>, std::span<const ControlRow>);
    std::map<std::string, QWidget*, std::less<>> m_byName;
};

// Makes the controls of `rows` under `root`. The fields named are looked up in
// `tables`, first by the tool's key, then by control name; a field control's
// object name must be the control name its field declares (RecordForm binds
// by it). Every field, drop-down and check box gets its caption as accessible
// name. A row naming an unknown field or parent is a fault of the window:
// std::logic_error.
BuiltControls buildControls(QWidget* root, std::initializer_list<const Table*> tables, std::span<const ControlRow> rows);

// The caption a field's control shows beside it (a bit's: its check box text).
QString shownCaption(const Field& field);
