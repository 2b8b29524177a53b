// The options dialog's tree: every node by key, its caption, its parent and what it is; and the
// tick images of the check nodes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/Settings.h"

namespace tw::options {

enum class NodeKind { Page, Check, List };

struct OptionsNode {
    const char* key;
    int captionId;
    const char* parent;  // "" at the top
    NodeKind kind;
    /// The text the page shows under its title.
    int descriptionId;
    /// The file name of the node's help topic.
    int helpTopicId;
};

inline constexpr int kImageTicked = 2;
inline constexpr int kImageCleared = 3;

/// In the order the tree shows them.
const std::vector<OptionsNode>& optionsNodes();
/// The node of that key; null for a key the tree does not have.
const OptionsNode* findOptionsNode(const std::string& key);

inline int tickImage(bool ticked) { return ticked ? kImageTicked : kImageCleared; }

/// The network check is ticked for reportspam 1 and cleared for 0; any other mode shows no image,
/// so that OK keeps that mode as long as the user leaves the node alone.
int netcheckImage(int32_t reportspam);

/// The image of a check node as the settings give it; 0 for a node that is no check.
int checkImageFor(const std::string& key, const settings::Settings& s);

}  // namespace tw::options
