#pragma once
// What the assistant's window tests share: a fixture base that makes sure the one application
// object exists before the fixture's widgets.

#include <gtest/gtest.h>

#include "support/qt_test_application.h"

namespace kestrave::test {

struct QtTest : ::testing::Test {
    QtTest() { app(); }
};

}  // namespace kestrave::test
