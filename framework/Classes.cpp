#include "Classes.h"

TComponent::TComponent(QObject* owner) : QObject(owner) {}
