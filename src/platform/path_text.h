#pragma once
// Pure string rules for POSIX paths.

#include <string>
#include <string_view>

namespace nuvelo {

// folder + "/" + name, without doubling the separator after a folder that ends in one ("/").
std::string joinPath(std::string_view folder, std::string_view name);

// Removes one trailing "/" unless the path is the root itself.
std::string withoutTrailingSeparator(std::string_view path);

// The folder that holds a path: everything before its last "/" ("/" for an entry of the root,
// "." for a bare name).
std::string folderOf(std::string_view path);

// The path cleaned as text: doubled separators and "." components dropped, each ".." taking
// away the component before it (none above the root), no trailing "/". Links are not looked
// at. A relative path stays relative ("." when nothing is left).
std::string lexicallyCleanPath(std::string_view path);

// The last component of a path (after its last "/").
std::string_view lastComponent(std::string_view path);

}  // namespace nuvelo
