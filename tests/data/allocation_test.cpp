// Counts the program's own heap allocations while two large identical tables are compared:
// the row walk must reuse its buffers, so the count must not grow with the rows. (The drivers
// allocate through malloc and are not counted.)

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "data/data_fixture.h"

namespace {

std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

} // namespace

void* operator new(std::size_t size) {
    if (gCounting.load(std::memory_order_relaxed)) {
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

// gcc takes the free() of these replacements for a mismatch with the replaced operator new,
// which allocates with malloc() just above.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
#pragma GCC diagnostic pop

namespace zentab {
namespace {

using test::DataRun;

TEST_F(DataRun, ComparingRowsAllocatesNothingPerRow) {
    constexpr int kRows = 30000;
    const std::string create = "CREATE TABLE SAME (txt varchar(20), id integer, amount real)";
    const std::string fill = "INSERT INTO SAME WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT "
                             "x + 1 FROM c WHERE x < " +
                             std::to_string(kRows) +
                             ") SELECT printf('row %06d', x), x, x / 4.0 FROM c";
    sqliteSides({create, fill}, {create, fill}, true);
    // The options that copy or convert rows.
    session.settings.b_IgnoreDatCase = true;
    session.settings.b_DataAsCSV = true;
    session.settings.b_IgnoreDatLead = session.settings.b_IgnoreDatTrail = true;

    gAllocations = 0;
    gCounting = true;
    run();
    gCounting = false;
    EXPECT_EQ(dataText(1, 1), "\r\n\r\n\r\nNo data differences were found in table SAME");
    // What is left is bounded per object and per progress step of the host, which records
    // every call.
    EXPECT_LT(gAllocations.load(), kRows / 2);
}

} // namespace
} // namespace zentab
