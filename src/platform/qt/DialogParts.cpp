#include "platform/qt/DialogParts.h"

#include <QHBoxLayout>
#include <QString>
#include <QToolButton>

namespace tlx {

QToolButton* PictureButton(QStyle::StandardPixmap icon, const char* toolTip, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setIconSize(QSize(20, 20));
    button->setToolTip(QString::fromUtf8(toolTip));
    return button;
}

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> left,
                       std::initializer_list<QWidget*> right) {
    auto* row = new QHBoxLayout();
    for (QWidget* widget : left)
        row->addWidget(widget);
    row->addStretch(1);
    for (QWidget* widget : right)
        row->addWidget(widget);
    return row;
}

} // namespace tlx
