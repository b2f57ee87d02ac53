#include "widget_test_support.h"

namespace kestrave::test {

QApplication& app() {
    static int argc = 1;
    static char name[] = "kestrave_widgets_tests";
    static char* argv[] = {name, nullptr};
    static QApplication instance(argc, argv);
    return instance;
}

}  // namespace kestrave::test
