// A place where a test puts the answer of something that would otherwise wait for a person (a
// modal box, a picker, a popup menu). Empty: the real window is shown.
#pragma once

#include <functional>
#include <utility>

namespace ui {

template <class Request, class Result>
class AnswerHook {
  public:
    using Function = std::function<Result(const Request&)>;

    void Set(Function function) { function_ = std::move(function); }
    bool Active() const { return static_cast<bool>(function_); }
    Result Answer(const Request& request) const { return function_(request); }

  private:
    Function function_;
};

}  // namespace ui
