#pragma once

#include "platform/Exception.h"

#include <exception>

// Saves that each must be tried although another failed: the first failure is kept and raised
// once all were tried.
class FirstFailure {
public:
    template <class Step>
    void Try(Step&& step) {
        try {
            step();
        } catch (const Exception&) {
            if (!first_) {
                first_ = std::current_exception();
            }
        }
    }

    // Raises the first failure, if there was one.
    void Raise() const {
        if (first_) {
            std::rethrow_exception(first_);
        }
    }

private:
    std::exception_ptr first_;
};
