// The rights a copy may grant: whoever the source refused something is refused it by the copy,
// whether the copy keeps the ACL or only permission bits, and whoever copies it.

#include "engine/copy/narrowed_permissions.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

constexpr unsigned R = 4, W = 2, X = 1;
constexpr KeptOwnership Kept{true, true};
constexpr KeptOwnership OtherGroup{true, false};
constexpr KeptOwnership OtherOwnerAndGroup{false, false};

// A file's ACL: u::rw-, g::GROUP, o::OTHERS, with a mask and named entries where given.
FileAcl aclWith(unsigned group, unsigned others, std::optional<unsigned> mask = std::nullopt,
                std::vector<NamedAclEntry> users = {}, std::vector<NamedAclEntry> groups = {}) {
  return {R | W, group, others, mask, std::move(users), std::move(groups)};
}

struct WithoutAclCase {
  const char* name;
  FileAcl acl;
  mode_t sourceMode;  // for its set-id and sticky bits
  KeptOwnership kept;
  mode_t copyMode;
};
void PrintTo(const WithoutAclCase& c, std::ostream* os) {
  *os << c.name;
}

class ModeWithoutAcl : public ::testing::TestWithParam<WithoutAclCase> {};

TEST_P(ModeWithoutAcl, GrantsNoOneWhatTheSourceRefused) {
  EXPECT_EQ(modeWithoutAcl(GetParam().acl, GetParam().sourceMode, GetParam().kept),
            GetParam().copyMode);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModeWithoutAcl,
    ::testing::Values(
        // setfacl -m u:nobody:rw,g::--- on a 0600 file: its mode shows the mask, rw, as the
        // group's bits; the group was refused everything.
        WithoutAclCase{"GroupTakesItsOwnEntryNotTheMask", aclWith(0, 0, R | W, {{65534, R | W}}),
                       0660, Kept, 0600},
        WithoutAclCase{"GroupWithinTheMask", aclWith(R | W | X, R, R), 0674, Kept, 0644},
        // A named user refused writing may be a member of the group, or one of the others.
        WithoutAclCase{"NamedUserRefusedLimitsGroupAndOthers",
                       aclWith(R | W, R, R | W, {{1000, 0}}), 0664, Kept, 0600},
        // Members of a named group were never "others".
        WithoutAclCase{"NamedGroupRefusedLimitsOthers", aclWith(R, R, R, {}, {{100, 0}}), 0644,
                       Kept, 0640},
        WithoutAclCase{"NamedEntriesGrantingMoreChangeNothing",
                       aclWith(R, R, R | W | X, {{1000, R | W}}, {{100, R | W | X}}), 0674, Kept,
                       0644},
        WithoutAclCase{"SetIdBitsStayWithOwnerAndGroup", aclWith(R | X, R | X, R | X), 06755, Kept,
                       06655},
        WithoutAclCase{"UnderAnotherGroupTheGroupGetsNoMoreThanOthers",
                       aclWith(R | W, R, R | W, {{1000, R | W}}), 02664, OtherGroup, 0644},
        WithoutAclCase{"UnderAnotherOwnerTheSetUserIdBitGoes", aclWith(R, 0, R), 04640,
                       OtherOwnerAndGroup, 0600}),
    [](const auto& info) { return std::string(info.param.name); });

struct AclCase {
  const char* name;
  FileAcl source;
  KeptOwnership kept;
  FileAcl copy;
};
void PrintTo(const AclCase& c, std::ostream* os) {
  *os << c.name;
}

class NarrowedAcl : public ::testing::TestWithParam<AclCase> {};

TEST_P(NarrowedAcl, GivesTheCopysGroupNoMoreThanItsMembersHad) {
  EXPECT_EQ(narrowedAcl(GetParam().source, GetParam().kept), GetParam().copy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NarrowedAcl,
    ::testing::Values(
        AclCase{"KeptWholeWithTheGroup", aclWith(R | W, 0, R | W, {{65534, R | W}}, {{100, R}}),
                Kept, aclWith(R | W, 0, R | W, {{65534, R | W}}, {{100, R}})},
        // The copier's group were others to the source, and only a named group's rights if
        // they were in one.
        AclCase{"OwningGroupAsOthersUnderAnotherGroup", aclWith(R | W, R, R | W, {{1000, R | W}}),
                OtherGroup, aclWith(R, R, R | W, {{1000, R | W}})},
        AclCase{"OwningGroupAsTheLeastNamedGroup", aclWith(R | W, R | W, R | W, {}, {{100, R}}),
                OtherGroup, aclWith(R, R | W, R | W, {}, {{100, R}})},
        AclCase{"NamedUsersKeepTheirRights", aclWith(R, 0, R | W, {{65534, R | W}}),
                OtherOwnerAndGroup, aclWith(0, 0, R | W, {{65534, R | W}})},
        // The source's group, refused what others had, are others to the copy.
        AclCase{"OthersAsTheSourceGroupUnderAnotherGroup", aclWith(0, R, R), OtherGroup,
                aclWith(0, 0, R)},
        // The source's owner, refused writing, may be in the copy's group or among its others.
        AclCase{"NoOneMoreThanTheSourceOwnerUnderAnotherOwner",
                {R, R | W, R | W, R | W, {}, {}},
                OtherOwnerAndGroup,
                {R, R, R, R | W, {}, {}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
