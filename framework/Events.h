#pragma once

#include <functional>

#include "Classes.h"
#include "Export.h"

// Event types of components, as handlers receive them.
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using Word = unsigned short;
enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = unsigned;

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;

// Virtual key codes that handlers compare against.
constexpr Word VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_ESCAPE = 27, VK_SPACE = 32,
               VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40,
               VK_DELETE = 46, VK_F1 = 112, VK_F9 = 120, VK_F12 = 123;

// The one dispatch point of every event that reaches a handler: EAbort ends
// the action silently; any other exception is shown to the user as an error
// message. Nothing thrown in a handler reaches Qt's event loop. While a
// definition is being loaded no event is delivered, as components raise no
// events while they are being read.
FRAMEWORK_EXPORT void Dispatch(const std::function<void()>& action);

// Raises an event through the dispatch point, if a handler is bound.
template <class Event, class... Args>
void RaiseEvent(const Event& event, Args&&... args) {
    if (event) Dispatch([&] { event(std::forward<Args>(args)...); });
}

// Counts definition loads under way; events are held back while it is not 0.
class FRAMEWORK_EXPORT LoadingScope {
public:
    LoadingScope();
    ~LoadingScope();
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;
    static bool Active();
};
