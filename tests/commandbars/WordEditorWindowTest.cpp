// Message windows that use Word as editor: version 9 raises no NewInspector for them and their bars
// are the editor's; the add-in gives them no toolbar, logs no error and holds nothing of them.
#include <gtest/gtest.h>

#include "core/Error.h"
#include "support/AddinHarness.h"

namespace tw::test {
namespace {

class WordEditorWindow : public ::testing::Test {
protected:
    explicit WordEditorWindow(std::string version = "9.0.0.3821") : h(std::move(version)) {}
    void start() {
        explorer = h.client.openExplorer();
        h.connectAddin();
    }
    /// Closes the window and lets go of it; whether the add-in still holds it tells closed().
    void close(std::shared_ptr<sim::SimInspector>& window) {
        h.client.closeInspector(window);
        closed = window;
        window.reset();
    }
    /// The explorer closes last: the add-in tears down and holds nothing of the windows.
    void closeExplorerAndExpectTeardown() {
        h.client.closeExplorer(explorer);
        EXPECT_TRUE(closed.expired()) << "the add-in still holds the closed window";
        EXPECT_TRUE(h.logHas("End of UnInitHandler()"));
        EXPECT_EQ(h.client.explorers()->Count() + h.client.inspectors()->Count(), 0) << "the client can end";
        EXPECT_FALSE(h.logHas("Error #")) << h.logText();
    }

    AddinHarness h;
    std::shared_ptr<sim::SimExplorer> explorer;
    std::weak_ptr<sim::SimInspector> closed;
};

TEST_F(WordEditorWindow, Version9OpensItSilentlyAndTheAddinLeavesItAlone) {
    start();
    auto window = h.client.openWordEditorInspector(h.client.deliver("Written in Word"));
    EXPECT_EQ(h.client.inspectors()->Count(), 1);
    EXPECT_EQ(window->EditorType(), outlook::olEditorWord);
    EXPECT_THROW(window->CommandBars(), Error);
    EXPECT_FALSE(h.logHas("colInsp_NewInspector()"));
    EXPECT_EQ(h.library.colInspWraps.count(), 0u);

    close(window);
    EXPECT_TRUE(closed.expired()) << "the add-in holds the window it never heard of";
    closeExplorerAndExpectTeardown();
}

TEST_F(WordEditorWindow, Version9WindowOpenAtConnectionGetsNoToolbar) {
    auto window = h.client.openWordEditorInspector(h.client.deliver("Open before the add-in"));
    start();
    // The add-in wraps the windows it finds open; this one comes to the front later.
    window->Activate().raise();
    EXPECT_TRUE(h.logHas("Word is the editor of this window: no toolbar"));
    sim::SimCommandBars builtIn(h.client.commandBarHub());
    builtIn.addBuiltInBars();
    EXPECT_EQ(window->bars()->Count(), builtIn.Count()) << "no bar was added to the window";
    EXPECT_FALSE(h.logHas("Error #")) << h.logText();

    close(window);
    EXPECT_EQ(h.library.colInspWraps.count(), 0u);
    closeExplorerAndExpectTeardown();
}

TEST_F(WordEditorWindow, Version9LetsGoWhenTheLastWindowItHearsClosesBesideASilentOne) {
    auto message = h.client.openInspector(h.client.deliver("Ordinary"));
    h.connectAddin();
    auto word = h.client.openWordEditorInspector(h.client.deliver("Written in Word"));
    close(message);
    // The Word window's close would go unheard: the add-in lets go now, or the client never ends.
    EXPECT_TRUE(closed.expired()) << "the add-in still holds the closed window";
    EXPECT_TRUE(h.logHas("End of UnInitHandler()"));
    h.client.closeInspector(word);
    EXPECT_EQ(h.client.inspectors()->Count(), 0) << "the client can end";
    EXPECT_FALSE(h.logHas("Error #")) << h.logText();
}

class WordEditorWindowLater : public WordEditorWindow {
protected:
    WordEditorWindowLater() : WordEditorWindow("10.0.0.4712") {}
};

TEST_F(WordEditorWindowLater, LaterVersionsAnnounceItAndItGetsTheToolbar) {
    start();
    auto window = h.client.openWordEditorInspector(h.client.deliver("Written in Word"));
    EXPECT_TRUE(h.logHas("colInsp_NewInspector()"));
    EXPECT_EQ(h.library.colInspWraps.count(), 1u);
    EXPECT_FALSE(h.logHas("no toolbar"));
    close(window);
    closeExplorerAndExpectTeardown();
}

}  // namespace
}  // namespace tw::test
