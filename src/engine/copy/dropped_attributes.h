#pragma once
// What a copy could not be given because its destination does not keep it.

namespace nuvelo {

struct DroppedAttributes {
  bool permissionBits = false;      // permission bits, and with them the owner
  bool acls = false;                // the source's ACLs
  bool extendedAttributes = false;  // some of the extended attributes carried

  bool any() const { return permissionBits || acls || extendedAttributes; }
  DroppedAttributes& operator|=(const DroppedAttributes& other) {
    permissionBits |= other.permissionBits;
    acls |= other.acls;
    extendedAttributes |= other.extendedAttributes;
    return *this;
  }
  bool operator==(const DroppedAttributes&) const = default;
};

}  // namespace nuvelo
