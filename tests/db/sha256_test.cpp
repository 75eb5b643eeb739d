#include <gtest/gtest.h>

#include <string>

#include "db/sha256.h"

namespace zentab {
namespace {

// The standard's own examples, each fed in pieces that cross the 64-byte blocks unevenly.
TEST(Sha256, KnownDigests) {
    struct Case {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
        {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
        {std::string(1000000, 'a'),
         "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.substr(0, 10));
        for (std::size_t piece : {std::size_t{1}, std::size_t{63}, std::size_t{9999}}) {
            Sha256 digest;
            for (std::size_t at = 0; at < c.message.size(); at += piece) {
                digest.update(std::string_view(c.message).substr(at, piece));
            }
            EXPECT_EQ(digest.hexDigest(), c.digest);
        }
    }
}

} // namespace
} // namespace zentab
