#include "Events.h"

namespace {
int loadingDepth = 0;
}

LoadingScope::LoadingScope() { ++loadingDepth; }
LoadingScope::~LoadingScope() { --loadingDepth; }
bool LoadingScope::Active() { return loadingDepth > 0; }
