#include "tests/support/layout_check.h"

#include "editors/common/entry_field.h"
#include "editors/common/font_fit.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

namespace {

QString nameOf(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

QString pathOf(const QWidget* w, const QWidget* window)
{
    QString path = nameOf(w);
    for (const QWidget* p = w->parentWidget(); p && p != window->parentWidget(); p = p->parentWidget())
        path = nameOf(p) + QLatin1Char('/') + path;
    return path;
}

class Judge {
public:
    explicit Judge(const QWidget* window) : m_window(window) {}

    void tooNarrow(const QWidget* w, const QString& text, int needed, int room)
    {
        if (needed > room)
            m_faults << QStringLiteral("%1: \"%2\" needs %3 px, has %4").arg(pathOf(w, m_window), text).arg(needed).arg(room);
    }
    void tooLow(const QWidget* w, int needed, int room)
    {
        if (needed > room)
            m_faults << QStringLiteral("%1: needs %2 px of height, has %3").arg(pathOf(w, m_window)).arg(needed).arg(room);
    }
    void fault(const QString& text) { m_faults << text; }
    QString path(const QWidget* w) const { return pathOf(w, m_window); }
    QStringList faults() const { return m_faults; }

private:
    const QWidget* m_window;
    QStringList m_faults;
};

void judgeLabel(const QLabel* label, Judge& judge)
{
    if (label->text().isEmpty())
        return;
    if (label->wordWrap()) {
        // by the label's own measures: its longest word within its width, and
        // every line of the wrapped text above its foot
        judge.tooNarrow(label, label->text(), label->minimumSizeHint().width(), label->width());
        judge.tooLow(label, label->heightForWidth(label->width()), label->height());
        return;
    }
    // the label's own hint: its text (a buddy's mnemonic drawn as such), indent, margins and frame
    judge.tooNarrow(label, label->text(), label->sizeHint().width(), label->width());
    const int margin = label->margin();
    judge.tooLow(label, label->fontMetrics().height(), label->contentsRect().height() - 2 * margin);
}

// Buttons, check boxes and frames are measured by the toolkit's own size
// hints: narrower than its hint, a button squeezes its caption against its
// picture or frame, a check box cuts its caption, a frame its title.
void judgeCheckBox(const QCheckBox* box, Judge& judge)
{
    judge.tooNarrow(box, box->text(), box->sizeHint().width(), box->width());
    QStyleOptionButton opt;
    opt.initFrom(box);
    const int indicator = box->style()->pixelMetric(QStyle::PM_IndicatorHeight, &opt, box);
    judge.tooLow(box, std::max(box->fontMetrics().height(), indicator), box->height());
}

void judgePushButton(const QPushButton* button, Judge& judge)
{
    judge.tooNarrow(button, button->text(), button->sizeHint().width(), button->width());
    // in height the caption or picture within the frame (the hint's margins
    // above and below are more than the designed rows give any button)
    QStyleOptionButton opt;
    opt.initFrom(button);
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, button);
    const bool hasIcon = !button->icon().isNull();
    const int contentHeight = std::max(button->text().isEmpty() ? 0 : button->fontMetrics().height(),
                                       hasIcon ? button->iconSize().height() : 0);
    judge.tooLow(button, contentHeight + 2 * frame, button->height());
}

void judgeGroupBox(const QGroupBox* box, Judge& judge)
{
    if (box->title().isEmpty())
        return;
    // the frame's least width by the toolkit holds the title (trailing blanks
    // included) and the frame's margins; the title's place lies within the frame
    const int needed = box->minimumSizeHint().width();
    if (!box->rect().contains(titleRect(box)) || box->width() < needed)
        judge.fault(QStringLiteral("%1: title \"%2\" needs a frame %3 px wide, has %4")
                        .arg(judge.path(box), box->title())
                        .arg(needed)
                        .arg(box->width()));
}

void judgeComboBox(const QComboBox* combo, Judge& judge)
{
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    opt.frame = combo->hasFrame();
    opt.subControls = QStyle::SC_All;
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
    const QFontMetrics fm = combo->fontMetrics();
    int widest = 0;
    QString widestText;
    for (int i = 0; i < combo->count(); ++i) {
        const int w = fm.horizontalAdvance(combo->itemText(i));
        if (w > widest) {
            widest = w;
            widestText = combo->itemText(i);
        }
    }
    // an editable drop-down shows its text in a line edit with a margin on each side
    const int margins = combo->isEditable() ? 4 : 0;
    judge.tooNarrow(combo, widestText, widest + margins, field.width());
    judge.tooLow(combo, fm.height() + 2, field.height());
}

void judgeLineEdit(const QLineEdit* edit, Judge& judge)
{
    const QString widest = widestValue(edit);
    const QRect room = edit->contentsRect().marginsRemoved(edit->textMargins());
    const QFontMetrics fm = edit->fontMetrics();
    // the field's own frame and the line edit's fixed margin of 2 px a side
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    const int frame = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    judge.tooNarrow(edit, widest, fm.horizontalAdvance(widest) + 2 * frame + 4, room.width());
    judge.tooLow(edit, fm.height() + 2 * frame, room.height());
}

// Only the plain containers of a window are entered: the inside of a list,
// drop-down or field is the toolkit's own.
bool isContainer(const QWidget* w)
{
    if (qobject_cast<const QGroupBox*>(w))
        return true;
    const QByteArray kind = w->metaObject()->className();
    return kind == "QWidget" || kind == "QFrame";
}

QList<QWidget*> shownChildren(const QWidget* parent)
{
    QList<QWidget*> shown;
    for (QObject* object : parent->children()) {
        auto* w = qobject_cast<QWidget*>(object);
        if (!w || w->isWindow() || !w->isVisible())
            continue;
        // placed wholly outside its parent on purpose: never seen
        if (!parent->rect().intersects(w->geometry()))
            continue;
        shown << w;
    }
    return shown;
}

void judgeContainer(const QWidget* parent, Judge& judge)
{
    const QList<QWidget*> shown = shownChildren(parent);
    const auto* box = qobject_cast<const QGroupBox*>(parent);
    const QRect title = box && !box->title().isEmpty() ? titleRect(box) : QRect();
    for (int i = 0; i < shown.size(); ++i) {
        QWidget* w = shown[i];
        if (!parent->rect().contains(w->geometry()))
            judge.fault(QStringLiteral("%1 sticks out of its parent").arg(judge.path(w)));
        if (title.isValid() && title.intersects(w->geometry()))
            judge.fault(QStringLiteral("%1 covers the title of %2").arg(judge.path(w), judge.path(parent)));
        for (int j = i + 1; j < shown.size(); ++j)
            if (w->geometry().intersects(shown[j]->geometry()))
                judge.fault(QStringLiteral("%1 and %2 overlap").arg(judge.path(w), nameOf(shown[j])));

        if (auto* label = qobject_cast<QLabel*>(w))
            judgeLabel(label, judge);
        else if (auto* check = qobject_cast<QCheckBox*>(w))
            judgeCheckBox(check, judge);
        else if (auto* button = qobject_cast<QPushButton*>(w))
            judgePushButton(button, judge);
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            judgeComboBox(combo, judge);
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            judgeLineEdit(edit, judge);
        if (auto* group = qobject_cast<QGroupBox*>(w))
            judgeGroupBox(group, judge);
        if (isContainer(w))
            judgeContainer(w, judge);
    }
}

}  // namespace

QStringList layoutFaults(QWidget* window)
{
    Judge judge(window);
    window->ensurePolished();
    judgeContainer(window, judge);
    return judge.faults();
}
