// Interface paths. A path names one top-level collection of one HID node and carries the tokens
// that the identity helpers read, in the form the Windows HID paths use:
//   <node path>#vid_3a5c&pid_7031&mi_01&col04
// ("&col" only when the node holds more than one top-level collection).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

// Hexadecimal value after the 4-character token, found case-insensitively; 0 when absent.
uint16_t PathVendorId(std::string_view path);          // "vid_"
uint16_t PathProductId(std::string_view path);         // "pid_"
uint16_t PathInterfaceNumber(std::string_view path);   // "&mi_"
uint16_t PathCollectionNumber(std::string_view path);  // "&col"

// Builds the path of collection `collection` (1-based; 0 for a node with a single collection).
std::string MakeInterfacePath(std::string_view nodePath, uint16_t vendorId, uint16_t productId,
                              int interfaceNumber, int collection);

// The node part of an interface path (everything before the last '#'); the whole path when it
// has no '#'.
std::string_view NodePathOf(std::string_view path);

}  // namespace qx
