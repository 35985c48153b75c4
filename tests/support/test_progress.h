#pragma once
// Progress stand-ins for long work: one that asks to stop at a given report, one that fails there
// as a database error halfway through would.

#include "history/progress.h"
#include "platform/database.h"

#include <cstddef>
#include <string>

namespace testing_support {

class StopAt : public history::Progress {
  public:
    explicit StopAt(int stepAt) : stepAt_(stepAt) {}
    void setTotal(std::size_t total) override { total_ = total; }
    bool advance(std::size_t) override { return ++steps_ < stepAt_; }
    std::size_t total_ = 0;

  private:
    int stepAt_;
    int steps_ = 0;
};

// Throws platform::DbError with the given text at the stepAt-th report.
class FailAt : public history::Progress {
  public:
    FailAt(int stepAt, std::string what) : stepAt_(stepAt), what_(std::move(what)) {}
    void setTotal(std::size_t) override {}
    bool advance(std::size_t) override {
        if (++steps_ >= stepAt_) throw platform::DbError(what_);
        return true;
    }

  private:
    int stepAt_;
    std::string what_;
    int steps_ = 0;
};

} // namespace testing_support
