// A product's attachment folder: <install folder>/quarvelweb/ProductAttachments/<id>,
// where the files of its ATTACHEDFILE rows lie.
#pragma once

#include <cstdint>
#include <string>

namespace quarvel::product {

// The folder's path (no trailing separator), the install folder asked of
// Solvane.Configuration. No handler of its own.
std::string getAttachmentFolder(int32_t productId);

// Removes the product's folder with its contents (through
// Scripting.FileSystemObject, read-only files not forced; links inside are
// removed, not followed) when it exists. Inside a transaction the folder
// goes only when the transaction commits, so a delete that is rolled back
// keeps its files; a folder that could not go fails the call now, while
// the rows can still be rolled back. No handler of its own.
void RemoveAttachmentFolder(int32_t productId);

}  // namespace quarvel::product
