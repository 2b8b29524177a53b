// The add-in's long-lived parts the filter, training and queue work with, or an error when start-up did not make them.
#pragma once

namespace tw::senders {
class Senders;
}

namespace tw::classify {

class ClassifyHost;
class MessageContent;

/// Raise error 91 (object not set) when the part is missing, as a call on a released object would.
MessageContent& messageContentOf(ClassifyHost& host);
senders::Senders& sendersOf(ClassifyHost& host);
/// The engine handle; raises when there is no engine, since the engine takes any handle for an object.
int engineHandleOf(ClassifyHost& host);

}  // namespace tw::classify
