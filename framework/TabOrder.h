#pragma once

#include "Export.h"

class QWidget;

// Chains the focus order of every control under `root`: within each parent
// by TabOrder (controls without one after, in creation order), a container's
// controls right after the container's place.
FRAMEWORK_EXPORT void ApplyTabOrder(QWidget* root);
