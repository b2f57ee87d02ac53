#pragma once
// What the tests reach inside the window's parts and the program never does: the chart series,
// which are no widgets and so have no object name to find them by. The parts name this accessor
// as a friend; only the tests define it.

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "shell/pages/frame_windows.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/registration_windows.h"

namespace kestrave {

struct PageTestAccess {
    static const TFastLineSeries* series(const RegistrationWindows& windows, std::string_view name) {
        return pick(name, {{"Series5", windows.Series5},
                           {"Series6", windows.Series6},
                           {"Series8", windows.Series8},
                           {"FastLineSeries1", windows.FastLineSeries1},
                           {"FastLineSeries2", windows.FastLineSeries2}});
    }
    static const TFastLineSeries* series(const FrameWindows& windows, std::string_view name) {
        return pick(name, {{"FastLineSeries3", windows.FastLineSeries3},
                           {"FastLineSeries4", windows.FastLineSeries4},
                           {"Series7", windows.Series7}});
    }
    static const TFastLineSeries* series(const OptimizePage& page, std::string_view name) {
        return pick(name, {{"Series3", page.Series3}, {"Series4", page.Series4}});
    }
    static const TFastLineSeries* series(const PointWindows& windows, std::string_view name) {
        return pick(name, {{"LineSeries1", windows.LineSeries1}});
    }

private:
    static const TFastLineSeries* pick(
        std::string_view name, std::initializer_list<std::pair<std::string_view, TFastLineSeries*>> named) {
        for (const auto& [seriesName, series] : named)
            if (seriesName == name) return series;
        throw std::logic_error("no chart series named " + std::string(name));
    }
};

namespace test {

// The series of this name in a part of the window.
template <class Part>
const TFastLineSeries* chartSeries(const Part& part, std::string_view name) {
    return PageTestAccess::series(part, name);
}

}  // namespace test

}  // namespace kestrave
