#pragma once

#include <QString>

namespace orbiplot {

// Names a control as its form names it, so that tests and the help find it; members of a
// control array get their index.
template <class Widget> Widget* Named(Widget* widget, const QString& name, int index = -1) {
    widget->setObjectName(index < 0 ? name : name + QString::number(index));
    return widget;
}

} // namespace orbiplot
