#pragma once

#include <QObject>

#include <functional>

namespace Widget_Kit {

// Runs an event handler. An error that escapes it is reported on standard error, as
// a toolkit reports errors in its callbacks, and goes no further: an exception must
// never unwind through Qt's event loop.
void call_handler(const std::function<void()>& handler) noexcept;

// Runs `callback` once, `milliseconds` from now, on the event loop of `context`'s
// thread, through call_handler. Nothing runs if `context` is destroyed first.
void after(QObject* context, int milliseconds, std::function<void()> callback);

}  // namespace Widget_Kit
