#pragma once
// File names are bytes. The toolkit hands names over as text, and a name
// whose bytes are no text in the local encoding (bytes ff fe) comes back
// with replacement characters in their place: a name of no file. These
// find the bytes of the file such a name stands for.

#include <string>
#include <string_view>

namespace platform {

// The path of a local "file:" URI ("file:///p", "file://localhost/p",
// "file:/p") with its %XX escapes decoded to the bytes they stand for;
// empty for any other URI.
std::string LocalPathOfFileUri(std::string_view Uri);

// The first URI of a text/uri-list (one URI a line, "#" lines are
// comments), as LocalPathOfFileUri reads it.
std::string FirstLocalPathOfUriList(std::string_view List);

// Name itself when it names a file; else, when Name is what the toolkit
// made of a file name that is no text, the name of that file: the one
// entry of its directory (found the same way, level by level) that the
// toolkit shows as Name. Name itself when there is no such entry, or more
// than one.
std::string ExistingLocalName(const std::string& Name);

}  // namespace platform
