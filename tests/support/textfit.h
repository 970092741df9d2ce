#pragma once

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QToolButton>
#include <QWidget>

#include <string>

// Texts a shown window cuts off. Every visible label, button, check box,
// radio button, group box, tab bar, combo box, line edit (the fields of
// spin boxes included) and column title of a grid whose text needs more room than the widget shows,
// within its parents, is listed with what it needs and what it gets. Show
// the window (and the tab page to check) first; widgets inside a scroll
// area are left out, as they scroll by design.
namespace textfit {

inline bool insideScrollArea(const QWidget *widget, const QWidget *window)
{
    for (const QWidget *p = widget->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (const auto *area = qobject_cast<const QAbstractScrollArea *>(p);
            area && area->viewport()->isAncestorOf(widget))
            return true;
    }
    return false;
}

// The part of a widget that its parents up to the window leave in view.
inline QRect shownRect(const QWidget *widget, const QWidget *window)
{
    QRect shown(widget->mapTo(window, QPoint(0, 0)), widget->size());
    for (const QWidget *p = widget->parentWidget(); p && p != window; p = p->parentWidget())
        shown &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
    return shown & window->rect();
}

inline QString describe(const QWidget *widget, const QString &text, const char *what, int needs, int gets)
{
    // Qt's own parts (the field of a spin box) go by their owner's name.
    const QWidget *named = widget->objectName().startsWith(QLatin1String("qt_")) && widget->parentWidget()
        ? widget->parentWidget()
        : widget;
    const QString name = named->objectName().isEmpty() ? QString::fromLatin1(named->metaObject()->className())
                                                       : named->objectName();
    return QStringLiteral("%1 \"%2\": %3 %4 px, shows %5")
        .arg(name, text, QLatin1String(what))
        .arg(needs)
        .arg(gets);
}

// Width of a push button's text and icon against the room inside its frame.
inline int pushButtonRoom(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    option.features = button->isFlat() ? QStyleOptionButton::Flat : QStyleOptionButton::None;
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
}

inline int pushButtonNeeds(const QPushButton *button)
{
    int needs = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
    if (!button->icon().isNull())
        needs += button->iconSize().width() + 4;
    return needs;
}

inline int lineEditRoom(const QLineEdit *edit)
{
    // The field draws its text 2 px in from each side of its contents,
    // inside its own frame when it has one.
    const QMargins margins = edit->textMargins();
    int room = edit->contentsRect().width() - margins.left() - margins.right() - 4;
    if (edit->hasFrame())
        room -= 2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    return room;
}

} // namespace textfit

inline QStringList ClippedTexts(const QWidget &window)
{
    using namespace textfit;
    // A window that changed lays itself out on the next events, and a
    // fixed-size one once more after it has taken its new size.
    for (int pass = 0; pass < 3; ++pass)
        QCoreApplication::processEvents();
    QStringList clipped;
    for (const QWidget *w : window.findChildren<QWidget *>()) {
        if (!w->isVisibleTo(&window) || insideScrollArea(w, &window))
            continue;
        const QRect shown = shownRect(w, &window);
        if (const auto *label = qobject_cast<const QLabel *>(w)) {
            if (label->text().isEmpty())
                continue;
            const QSize hint = label->sizeHint();
            const int height = label->wordWrap() ? label->heightForWidth(shown.width()) : hint.height();
            if (!label->wordWrap() && hint.width() > shown.width())
                clipped << describe(w, label->text(), "needs", hint.width(), shown.width());
            else if (height > shown.height())
                clipped << describe(w, label->text(), "needs a height of", height, shown.height());
        } else if (const auto *push = qobject_cast<const QPushButton *>(w)) {
            if (push->text().isEmpty())
                continue;
            const int room = pushButtonRoom(push) - (w->width() - shown.width());
            if (pushButtonNeeds(push) > room)
                clipped << describe(w, push->text(), "needs", pushButtonNeeds(push), room);
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(w)) {
            // Check boxes, radio buttons and tool buttons with a text.
            if (button->text().isEmpty())
                continue;
            if (const auto *tool = qobject_cast<const QToolButton *>(w);
                tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
                continue;
            if (button->sizeHint().width() > shown.width())
                clipped << describe(w, button->text(), "needs", button->sizeHint().width(), shown.width());
        } else if (const auto *box = qobject_cast<const QGroupBox *>(w)) {
            if (box->minimumSizeHint().width() > shown.width())
                clipped << describe(w, box->title(), "needs", box->minimumSizeHint().width(), shown.width());
        } else if (const auto *tabs = qobject_cast<const QTabBar *>(w)) {
            if (tabs->sizeHint().width() > shown.width())
                clipped << describe(w, tabs->tabText(tabs->count() - 1), "tabs need",
                                    tabs->sizeHint().width(), shown.width());
        } else if (const auto *combo = qobject_cast<const QComboBox *>(w)) {
            if (combo->sizeHint().width() > shown.width())
                clipped << describe(w, combo->currentText(), "needs", combo->sizeHint().width(),
                                    shown.width());
        } else if (const auto *header = qobject_cast<const QHeaderView *>(w)) {
            // The style draws a title inside a margin on each side.
            const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int section = 0; section < header->count(); ++section) {
                const QString title = header->model()->headerData(section, header->orientation()).toString();
                const int needs = header->fontMetrics().horizontalAdvance(title) + margins;
                if (!header->isSectionHidden(section) && !title.isEmpty()
                    && needs > header->sectionSize(section))
                    clipped << describe(w, title, "needs", needs, header->sectionSize(section));
            }
        } else if (const auto *edit = qobject_cast<const QLineEdit *>(w)) {
            const int needs = edit->fontMetrics().horizontalAdvance(edit->displayText());
            const int room = lineEditRoom(edit) - (w->width() - shown.width());
            if (!edit->text().isEmpty() && needs > room)
                clipped << describe(w, edit->text(), "needs", needs, room);
        }
    }
    return clipped;
}

// For gtest: the list as one message.
inline std::string Listed(const QStringList &texts)
{
    return texts.join(QStringLiteral("\n")).toStdString();
}
