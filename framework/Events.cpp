#include "Events.h"

#include "Forms.h"
#include "SysUtils.h"

namespace {
int loadingDepth = 0;
}

LoadingScope::LoadingScope() { ++loadingDepth; }
LoadingScope::~LoadingScope() { --loadingDepth; }
bool LoadingScope::Active() { return loadingDepth > 0; }

void Dispatch(const std::function<void()>& action) {
    if (LoadingScope::Active()) return;
    try {
        action();
    } catch (const EAbort&) {
        // The action was ended on purpose; the user has been told already.
    } catch (const std::exception& e) {
        Application->ShowException(e);
    } catch (...) {
        Application->ShowException(Exception(QStringLiteral("Erro desconhecido.")));
    }
}
