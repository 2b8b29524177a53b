// Every test fails when a modal form of the simulated user interface is left unanswered: on Windows it would wait for ever.
#include <gtest/gtest.h>

#include "sim/SimUserInterface.h"

namespace {

const bool installed = [] {
    tw::sim::SimUserInterface::setDefaultUnansweredModal([](const std::string& formName) {
        ADD_FAILURE() << "modal form " << formName << " was shown and nobody answered it";
    });
    return true;
}();

}  // namespace
