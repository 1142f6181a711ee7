#pragma once

#include <QKeySequence>

#include "Buttons.h"
#include "HostExport.h"

// The shared library's flat speed button: flat by default, never takes the
// focus, shows its hint as a tooltip. A double click is one press: its second
// click does not run the button's action again, however quickly the first
// one's action ended.
class HOST_EXPORT TButtonFlat : public TSpeedButton {
    Q_OBJECT
public:
    explicit TButtonFlat(QWidget* parent = nullptr);

    // Gives the button a key, once: pressing it clicks the button as the
    // mouse does, so OnClick runs only while the button is enabled and shown,
    // and only while the focus is in the button's screen (of the host's MDI
    // screens, the one in front). The hint names the key: "Imprimir (Ctrl+P)".
    void SetShortCut(const QKeySequence& keys);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
