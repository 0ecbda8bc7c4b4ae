// The host judges the participants' role requests once all have chosen: at most two
// spectators (the second one marked as such), at least two players and no more players than
// countries; any other mix is refused and everyone chooses again.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "netplay/Protocol.h"
#include "netplay/tests/NetFixture.h"

namespace zv::net::testing {
namespace {

struct RoleCase {
    const char* what;
    std::vector<int> choices;  // host first; non-zero asks to watch
    int countries;
    int result;                // 1 accepted, 2 refused
    std::vector<std::int32_t> roles;  // the participants' roles when accepted
};

// The role result a participant heard: 0 while none came.
int HeardResult(const Endpoint& e) {
    for (std::uint32_t w : e.events)
        if ((w & 0xFFFF) == ZVCMSG_ROLE_RESULT) return int(w >> 16);
    return 0;
}

TEST(RoleRequest, MixesOfPlayersAndSpectatorsAreJudgedAsAWhole) {
    const RoleCase cases[] = {
        {"all play", {0, 0, 0, 0}, 4, 1, {3, 3, 3, 3}},
        {"two watch: the second is marked", {1, 1, 0, 0}, 4, 1, {1, 2, 3, 3}},
        {"three watch", {1, 0, 1, 1}, 4, 2, {}},
        {"more players than countries", {0, 0, 0, 1}, 2, 2, {}},
        {"two players for one country", {1, 1, 0, 0}, 1, 2, {}},
        {"one player", {1, 1, 0}, 3, 2, {}},
        {"two players of three", {0, 1, 0}, 3, 1, {3, 1, 3}},
    };
    for (const RoleCase& c : cases) {
        SCOPED_TRACE(c.what);
        const int participants = int(c.choices.size());
        Session s(participants - 1);
        s.Host().manager->SetCountriesAvailable(c.countries);
        for (int p = participants - 1; p >= 0; --p) {
            Endpoint& e = p == 0 ? s.Host() : s.Client(p - 1);
            e.manager->SendRoleRequest(c.choices[std::size_t(p)]);
        }
        ASSERT_TRUE(s.Until([&] {
            for (int p = 1; p < participants; ++p)
                if (HeardResult(s.Client(p - 1)) == 0) return false;
            return true;
        })) << "every client hears the judgement";
        for (int p = 1; p < participants; ++p) {
            Endpoint& e = s.Client(p - 1);
            EXPECT_EQ(HeardResult(e), c.result) << "client " << p;
            if (c.result == 1) {
                for (int q = 0; q < participants; ++q)
                    EXPECT_EQ(e.manager->RoleResult()[q], c.roles[std::size_t(q)]) << "client " << p << ", slot " << q;
            }
        }
    }
}

}  // namespace
}  // namespace zv::net::testing
