// A form's controls as the form declares them once (kind, name, caption, twips geometry, tab
// order, default and cancel buttons) and as they stand while it is shown; every view reads these.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tw::platform {

enum class ControlKind {
    Label, TextBox, CommandButton, CheckBox,
    ListBox,       // `items` with `selected`; declared with `checkBoxes` it is a tick list (see ControlDecl)
    PictureBox,
    OptionButton,  // one of a group: `value` marks the chosen one
    Slider,        // `number` is the thumb's position
    UpDown,        // raises "UpClick" and "DownClick"
    ComboBox,      // a drop-down list: `items`, and `listIndex` the entry shown
    TreeView,      // `nodes`; a node click sets `text` to the node's key and raises "NodeClick"
    ProgressBar,   // `number` is how far along, from 0 to 100
    BarChart,      // `series` drawn as groups of bars, one group per entry of `items` (the x labels)
};

/// How a label or text box is drawn, where its kind alone does not say.
enum class ControlLook {
    usual,
    title,          // labels: a larger bold font, the heading of a window
    pathEllipsis,   // labels: one line; a text too long loses the middle of its path to "..."
    readOnlyLines,  // text boxes: many lines that scroll, for reading only
    wrappedLines,   // text boxes: many lines wrapped at the box's width that scroll down, for reading only
};

/// One node of a tree view: its key, its caption, its parent's key (empty at the top) and the
/// image it shows (0: none).
struct TreeNode {
    std::string key;
    std::string caption;
    std::string parent;
    int image = 0;
};

/// One named row of a bar chart's values, one value per x label.
struct ChartSeries {
    std::string name;
    std::vector<int> values;
    bool operator==(const ChartSeries& other) const { return name == other.name && values == other.values; }
};

/// One control of a form's declaration. Geometry is in twips; captions come from the string
/// table by number (0: none, or set by the form at run time).
struct ControlDecl {
    ControlKind kind;
    std::string name;
    int captionId = 0;
    int left = 0, top = 0, width = 0, height = 0;
    /// Order of the focus among the controls that take it; -1 for those that do not.
    int tabIndex = -1;
    bool isDefault = false;
    bool isCancel = false;
    /// List boxes: more than one entry may be selected.
    bool multiSelect = false;
    /// Picture boxes: the name of the image resource shown, loaded from memory.
    std::string picture;
    ControlLook look = ControlLook::usual;
    /// List boxes: a tick list. Every entry shows its own tick box (`checked`), apart from which
    /// entries are selected: a click on the box or Space on the entry ticks or clears that entry
    /// alone and raises "ItemCheck" with `listIndex` at the entry; a click on the text selects, as
    /// in any list. When the list is filled anew, the first ticked entry is scrolled into view.
    /// Windows draws it as a list view with check boxes (one column, no header).
    bool checkBoxes = false;
};

/// A declaration line: the geometry in twips, then what differs from the usual.
inline ControlDecl control(ControlKind kind, std::string name, int captionId, int left, int top, int width, int height,
                           int tabIndex = -1, bool isDefault = false, bool isCancel = false, bool multiSelect = false,
                           std::string picture = {}) {
    ControlDecl decl{kind, std::move(name), captionId, left, top, width, height, tabIndex, isDefault, isCancel,
                     multiSelect, std::move(picture), ControlLook::usual, false};
    return decl;
}

/// A declaration line drawn with a look of its own.
inline ControlDecl withLook(ControlDecl decl, ControlLook look) {
    decl.look = look;
    return decl;
}

/// A declaration line for a tick list (a list box with `checkBoxes`).
inline ControlDecl checkList(std::string name, int left, int top, int width, int height, int tabIndex,
                             bool multiSelect = false) {
    ControlDecl decl = control(ControlKind::ListBox, std::move(name), 0, left, top, width, height, tabIndex, false,
                               false, multiSelect);
    decl.checkBoxes = true;
    return decl;
}

struct FormDecl {
    std::string name;
    int captionId = 0;
    int width = 0, height = 0;
    std::vector<ControlDecl> controls;
};

/// The live state of one control.
struct ControlState {
    ControlDecl decl;
    std::string caption;
    std::string text;
    bool value = false;
    bool visible = true;
    bool enabled = true;
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::string> items;
    std::vector<bool> selected;
    /// Tick lists: the entries' ticks, apart from which entries are selected.
    std::vector<bool> checked;
    int number = 0;
    /// Combo boxes: the entry shown. Tick lists: the entry last ticked or cleared.
    int listIndex = -1;
    std::vector<TreeNode> nodes;
    /// Bar charts: the rows of values, each drawn in a colour of its own and named in the legend.
    std::vector<ChartSeries> series;
    /// List boxes: the width in twips their entries scroll across (the form measures its widest
    /// entry with UserInterface::textWidth); 0 for no horizontal scrolling.
    int horizontalExtent = 0;
    /// Command buttons: Enter presses this one. Starts as declared; a form may hand it on.
    bool isDefault = false;
};

/// The controls of one shown form, made from its declaration. Views draw them and report the
/// user's doings back: a click runs the handler the form bound to the control's name.
class FormControls {
public:
    explicit FormControls(const FormDecl& decl);

    const FormDecl& declaration() const { return decl_; }
    std::string caption;
    int height = 0;
    /// Where the window stands on the screen, in twips from the top left corner; -1 centres it.
    /// A view moves these when the user moves the window.
    int left = -1, top = -1;

    /// Raises Error when the form has no control of that name.
    ControlState& operator[](const std::string& name);
    const ControlState& operator[](const std::string& name) const;
    bool has(const std::string& name) const { return states_.count(name) != 0; }
    /// In declaration order.
    std::vector<std::string> names() const;

    void onClick(const std::string& name, std::function<void()> handler) { handlers_[name] = std::move(handler); }
    /// Other events by their name ("GotFocus", "Change", "Scroll", "UpClick", "NodeClick" ...).
    void on(const std::string& name, const std::string& event, std::function<void()> handler) {
        events_[name + "." + event] = std::move(handler);
    }
    /// Runs the control's click handler, as a click by the user does; nothing for a hidden or
    /// disabled control, or one without a handler.
    void click(const std::string& name);
    /// Runs the control's handler of that event, under the same conditions as a click.
    void raise(const std::string& name, const std::string& event);
    /// Sets a control's text as typing does, raising "Change" when the text differs.
    void type(const std::string& name, const std::string& text);
    /// The Enter key: the click of the button that is the default now. Escape: the cancel button's.
    void pressEnter();
    void pressEscape();

    // List boxes.
    void clearList(const std::string& name);
    void addItem(const std::string& name, const std::string& item, bool isSelected = false, bool isChecked = false);
    std::vector<std::string> selectedItems(const std::string& name) const;
    std::vector<std::string> checkedItems(const std::string& name) const;
    /// A tick list's entry ticked or cleared by the user: sets its tick and `listIndex`, then raises
    /// "ItemCheck"; nothing for a hidden or disabled list or an entry it does not have.
    void tick(const std::string& name, size_t index, bool ticked);

private:
    FormDecl decl_;
    std::map<std::string, ControlState> states_;
    std::map<std::string, std::function<void()>> handlers_;
    std::map<std::string, std::function<void()>> events_;
};

}  // namespace tw::platform
