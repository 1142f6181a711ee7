#pragma once

#include <QJsonObject>

#include "Params.h"

class QMdiArea;
class QWidget;

// The JSON pictures that scripted runs write of the host's state.

// The "state" event: screens, focus, cursor and the active screen's controls.
QJsonObject StateEvent(QMdiArea* area);
// The "params" event: the report's parameters in collection order.
QJsonObject ParamsEvent(const TParams& params);
// The component name of the focused control (the control itself or the
// component that holds it), or an empty text.
QString FocusedComponentName();
