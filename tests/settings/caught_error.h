// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <typeinfo>

#include "base/error.h"

namespace quantrel::test {

/// Runs `action` and returns the error of class E it throws. Records a test failure (and returns
/// none) when it throws nothing or an error of another class.
template <class E, class Action>
std::optional<E> caughtError(Action&& action) {
    try {
        action();
        ADD_FAILURE() << "expected " << typeid(E).name() << ", nothing was thrown";
    } catch (const E& error) {
        return error;
    } catch (const Error& error) {
        ADD_FAILURE() << "expected " << typeid(E).name() << ", got " << error.category()
                      << " error: " << error.message();
    }
    return std::nullopt;
}

}  // namespace quantrel::test
