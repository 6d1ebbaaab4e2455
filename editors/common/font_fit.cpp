#include "editors/common/font_fit.h"

#include "editors/common/entry_field.h"
#include "editors/common/stretch_map.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <vector>

namespace {

const char* const kExpectedTexts = "expectedTexts";

// the size a control needs for its contents, 0 where it needs nothing
struct Need {
    int width = 0;
    int height = 0;
};

QStringList textsOf(const QWidget* w, const QString& current)
{
    QStringList texts = w->property(kExpectedTexts).toStringList();
    texts << current;
    return texts;
}

int widest(const QFontMetrics& fm, const QStringList& texts, bool mnemonics)
{
    int width = 0;
    for (const QString& text : texts)
        width = std::max(width, mnemonics ? fm.size(Qt::TextShowMnemonic, text).width() : fm.horizontalAdvance(text));
    return width;
}

// QLabel::sizeHint for each text: the text as laid out (a buddy's mnemonic
// drawn as such), the indent on an aligned side, the margins and the frame
Need labelNeed(const QLabel* label)
{
    const QStringList texts = textsOf(label, label->text());
    if (label->wordWrap() || widest(label->fontMetrics(), texts, false) == 0)
        return {};
    const QFontMetrics fm = label->fontMetrics();
    const int flags = Qt::TextExpandTabs | (label->buddy() ? Qt::TextShowMnemonic : 0);
    int text = 0;
    for (const QString& t : texts)
        text = std::max(text, fm.boundingRect(0, 0, 2000, 2000, flags, t).width());
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = fm.horizontalAdvance(QLatin1Char('x')) - 2 * label->margin();
    const Qt::Alignment align = label->alignment();
    const int sideIndent = indent > 0 && (align & (Qt::AlignLeft | Qt::AlignRight)) ? indent : 0;
    // the frame and margins around the text, as the label has them now
    const int chromeWidth = label->width() - label->contentsRect().width() + 2 * label->margin();
    const int chromeHeight = label->height() - label->contentsRect().height() + 2 * label->margin();
    return {chromeWidth + sideIndent + text, chromeHeight + fm.height()};
}

// The widths below are the toolkit's own size hints, worked out for each
// text a control will show rather than for its current one alone: a button
// or check box narrower than its hint squeezes or cuts its caption.

// QCheckBox::sizeHint for `text`: the indicator, its spacing and label margin, the caption
int checkBoxWidth(const QCheckBox* box, const QString& text)
{
    QStyleOptionButton opt;
    opt.initFrom(box);
    opt.text = text;
    opt.icon = box->icon();
    opt.iconSize = box->iconSize();
    QSize content = box->style()->itemTextRect(box->fontMetrics(), QRect(), Qt::TextShowMnemonic, false, text).size();
    if (!opt.icon.isNull())
        content = QSize(content.width() + opt.iconSize.width() + 4, std::max(content.height(), opt.iconSize.height()));
    return box->style()->sizeFromContents(QStyle::CT_CheckBox, &opt, content, box).width();
}

// The widest a button-like control gets over every text it will show.
template <typename Control, typename WidthOf>
int widestHint(const Control* control, WidthOf widthOf)
{
    int width = 0;
    for (const QString& text : textsOf(control, control->text()))
        width = std::max(width, widthOf(control, text));
    return width;
}

Need checkBoxNeed(const QCheckBox* box)
{
    const int width = widestHint(box, checkBoxWidth);
    QStyleOptionButton opt;
    opt.initFrom(box);
    return {width, std::max(box->fontMetrics().height(), box->style()->pixelMetric(QStyle::PM_IndicatorHeight, &opt, box))};
}

// QPushButton::sizeHint for `text`: the picture and caption within the
// style's margins, a default button's indicator and the style's least width
int buttonWidth(const QPushButton* button, const QString& text)
{
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.features = QStyleOptionButton::None;
    if (button->isFlat())
        opt.features |= QStyleOptionButton::Flat;
    if (button->menu())
        opt.features |= QStyleOptionButton::HasMenu;
    if (button->autoDefault())
        opt.features |= QStyleOptionButton::AutoDefaultButton;
    if (button->isDefault())
        opt.features |= QStyleOptionButton::DefaultButton;
    opt.text = text;
    opt.icon = button->icon();
    opt.iconSize = button->iconSize();
    int w = 0;
    int h = 0;
    if (!opt.icon.isNull()) {
        w += opt.iconSize.width() + 4;
        h = opt.iconSize.height();
    }
    const QSize caption = button->fontMetrics().size(Qt::TextShowMnemonic, text.isEmpty() ? QStringLiteral("XXXX") : text);
    if (!text.isEmpty() || w == 0)
        w += caption.width();
    if (!text.isEmpty() || h == 0)
        h = std::max(h, caption.height());
    opt.rect.setSize(QSize(w, h));
    if (button->menu())
        w += button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &opt, button);
    return button->style()->sizeFromContents(QStyle::CT_PushButton, &opt, QSize(w, h), button).width();
}

Need buttonNeed(const QPushButton* button)
{
    const int width = widestHint(button, buttonWidth);
    QStyleOptionButton opt;
    opt.initFrom(button);
    const QStyle* style = button->style();
    const QFontMetrics fm = button->fontMetrics();
    const bool hasIcon = !button->icon().isNull();
    // the height of the caption or picture within the frame; the style's
    // hint would also add its margins, more than the designed rows give
    const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, button);
    const int contentHeight = std::max(button->text().isEmpty() ? 0 : fm.height(), hasIcon ? button->iconSize().height() : 0);
    return {width, contentHeight + 2 * frame};
}

Need comboNeed(const QComboBox* combo)
{
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    opt.frame = combo->hasFrame();
    opt.subControls = QStyle::SC_All;
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    const QFontMetrics fm = combo->fontMetrics();
    // an editable drop-down shows its text in a line edit with 2 px a side
    const int margins = combo->isEditable() ? 4 : 0;
    return {combo->width() - field.width() + margins + widest(fm, texts + textsOf(combo, combo->currentText()), false),
            combo->height() - field.height() + fm.height() + 2};
}

Need lineEditNeed(const QLineEdit* edit)
{
    const QFontMetrics fm = edit->fontMetrics();
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    const int frame = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    const QMargins text = edit->textMargins();
    // the frame, the text margins and the line edit's own 2 px a side (1 px above and below)
    return {text.left() + text.right() + 2 * frame + 4 + fm.horizontalAdvance(widestValue(edit)),
            text.top() + text.bottom() + 2 * frame + 2 + fm.height()};
}

Need needOf(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return labelNeed(label);
    if (const auto* box = qobject_cast<const QCheckBox*>(w))
        return checkBoxNeed(box);
    if (const auto* button = qobject_cast<const QPushButton*>(w))
        return buttonNeed(button);
    if (const auto* combo = qobject_cast<const QComboBox*>(w))
        return comboNeed(combo);
    if (const auto* edit = qobject_cast<const QLineEdit*>(w))
        return lineEditNeed(edit);
    return {};
}

// Only the plain containers are entered: the inside of a list, drop-down or
// field is the toolkit's own business.
bool isContainer(const QWidget* w)
{
    if (qobject_cast<const QGroupBox*>(w))
        return true;
    const QByteArray kind = w->metaObject()->className();
    return kind == "QWidget" || kind == "QFrame";
}

struct Placed {
    QWidget* widget;
    int parent;  // index into the list, -1 for the root
    QRect rect;  // in the root's coordinates
    bool seen;   // at least partly inside its parent
};

void collect(const QWidget* parent, int parentIndex, const QRect& parentRect, std::vector<Placed>& placed)
{
    for (QObject* object : parent->children()) {
        auto* w = qobject_cast<QWidget*>(object);
        if (!w || w->isWindow())
            continue;
        const QRect rect = w->geometry().translated(parentRect.topLeft());
        placed.push_back({w, parentIndex, rect, parent->rect().intersects(w->geometry())});
        if (isContainer(w))
            collect(w, int(placed.size()) - 1, rect, placed);
    }
}

QRect mapRect(const QRect& r, const StretchMap& xs, const StretchMap& ys)
{
    const int left = xs.map(r.left());
    const int top = ys.map(r.top());
    return {left, top, xs.map(r.left() + r.width()) - left, ys.map(r.top() + r.height()) - top};
}

}  // namespace

QString widestValue(const QLineEdit* edit)
{
    QString widest = edit->text();
    if (const auto* field = qobject_cast<const EntryField*>(edit)) {
        const QString digits = field->rule() == EntryRule::ClampedByte ? QStringLiteral("255") : QStringLiteral("65535");
        if (digits.size() > widest.size())
            widest = digits;
    } else if (edit->maxLength() <= 64 && edit->maxLength() > widest.size()) {
        widest = QString(edit->maxLength(), QLatin1Char('X'));
    }
    return widest;
}

QRect titleRect(const QGroupBox* box)
{
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.lineWidth = 1;
    opt.midLineWidth = 0;
    opt.textAlignment = Qt::Alignment(box->alignment());
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (box->isFlat())
        opt.features |= QStyleOptionFrame::Flat;
    return box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
}

void expectTexts(QWidget* control, const QStringList& texts)
{
    control->setProperty(kExpectedTexts, control->property(kExpectedTexts).toStringList() + texts);
}

int longestRow(const QListWidget* list)
{
    int longest = 0;
    for (int i = 1; i < list->count(); ++i)
        if (list->item(i)->text().size() > list->item(longest)->text().size())
            longest = i;
    return longest;
}

void fitToFont(QWidget* root)
{
    root->ensurePolished();
    std::vector<Placed> placed;
    collect(root, -1, QRect(QPoint(0, 0), root->size()), placed);

    StretchMap xs;
    StretchMap ys;
    xs.addEdge(0);
    xs.addEdge(root->width());
    ys.addEdge(0);
    ys.addEdge(root->height());
    for (const Placed& p : placed) {
        const QRect& r = p.rect;
        xs.addEdge(r.left());
        xs.addEdge(r.left() + r.width());
        ys.addEdge(r.top());
        ys.addEdge(r.top() + r.height());
        if (!p.seen)
            continue;
        const Need need = needOf(p.widget);
        xs.require(r.left(), r.left() + r.width(), need.width);
        ys.require(r.top(), r.top() + r.height(), need.height);
        const auto* box = qobject_cast<const QGroupBox*>(p.widget);
        if (!box || box->title().isEmpty())
            continue;
        // the title must fit across the frame (the frame's least width by the
        // toolkit: the title, a blank and the frame's margins), and the
        // controls must start below it
        const QRect title = titleRect(box);
        xs.require(r.left(), r.left() + r.width(),
                   std::max(title.width() + 2 * std::max(0, title.left()), box->minimumSizeHint().width()));
        for (const QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isWindow() && box->rect().intersects(child->geometry()))
                ys.require(r.top(), r.top() + child->y(), title.top() + title.height());
    }
    xs.solve();
    ys.solve();

    std::vector<QRect> mapped;
    mapped.reserve(placed.size());
    for (const Placed& p : placed)
        mapped.push_back(mapRect(p.rect, xs, ys));
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const QPoint origin = placed[i].parent < 0 ? QPoint(0, 0) : mapped[std::size_t(placed[i].parent)].topLeft();
        placed[i].widget->setGeometry(mapped[i].translated(-origin));
    }
    root->setFixedSize(xs.map(root->width()), ys.map(root->height()));
}
