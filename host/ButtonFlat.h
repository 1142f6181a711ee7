#pragma once

#include "Buttons.h"
#include "HostExport.h"

// The shared library's flat speed button: flat by default, never takes the
// focus, shows its hint as a tooltip.
class HOST_EXPORT TButtonFlat : public TSpeedButton {
    Q_OBJECT
public:
    explicit TButtonFlat(QWidget* parent = nullptr);
};
