// The stand-in client's MAPI objects as its object model and the client hand them out.
#pragma once

#include <memory>

#include "ComBase.h"

namespace tw::standin {

struct Model;
struct ItemData;
struct FolderData;

/// The item's IMessage: a live view over it.
Ref<IUnknown> makeMapiMessage(const std::shared_ptr<Model>& model, const std::shared_ptr<ItemData>& item);
/// The folder's IMAPIFolder.
Ref<IUnknown> makeMapiFolder(const std::shared_ptr<Model>& model, const std::shared_ptr<FolderData>& folder);
/// An IMAPISession over the model's store, address books and transport queue.
Ref<IUnknown> makeMapiSession(const std::shared_ptr<Model>& model);
/// The stand-in's MAPI objects alive now.
long liveMapiObjects();

}  // namespace tw::standin
