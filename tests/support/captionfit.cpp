#include "captionfit.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace tl::test
{

namespace
{

QString Problem(const QWidget* w, const QString& text, QSize has, QSize needs)
{
    return QStringLiteral("%1 「%2」: %3x%4 < %5x%6")
        .arg(w->objectName(), text)
        .arg(has.width())
        .arg(has.height())
        .arg(needs.width())
        .arg(needs.height());
}

} // namespace

QStringList CutCaptions(QWidget* window)
{
    QStringList problems;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        QString text;
        QSize needs;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty() || label->wordWrap())
                continue;
            text = label->text();
            needs = label->sizeHint();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->text().isEmpty())
                continue;
            text = button->text();
            needs = button->sizeHint();
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            if (group->title().isEmpty())
                continue;
            text = group->title();
            needs = group->minimumSizeHint();
        } else {
            continue;
        }
        if (w->width() < needs.width() || w->height() < needs.height())
            problems << Problem(w, text, w->size(), needs);
    }
    return problems;
}

} // namespace tl::test

namespace tl::test
{

QStringList UnnamedControls(QWidget* window)
{
    QStringList problems;
    if (window->windowTitle().isEmpty())
        problems << QStringLiteral("%1: no window title").arg(window->objectName());
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        // The inner line edit of a spin box or combo box is announced through its owner.
        if (w->focusProxy() || qobject_cast<QAbstractSpinBox*>(w->parentWidget()) ||
            qobject_cast<QComboBox*>(w->parentWidget()))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
            problems << QStringLiteral("%1 (%2)").arg(
                w->objectName(), QString::fromLatin1(w->metaObject()->className()));
    }
    return problems;
}

} // namespace tl::test
