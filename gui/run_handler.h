#pragma once

#include <functional>

namespace kell::gui {

// How a widget's signal reaches the model: run the handler, then show what it changed.
using RunHandler = std::function<void(const std::function<void()>& handler)>;

}  // namespace kell::gui
