// Running out of memory while the statement text is built. A binary of its
// own: it replaces the global allocation functions.

#include "model/document.h"
#include "model/messages.h"
#include "support/scripted_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

namespace {

// Allocations still allowed before one fails; negative: none fails. The
// failure is one-shot: memory freed while unwinding makes later ones succeed,
// as it does when a single large request is refused.
long g_allocationsBeforeFailure = -1;
bool g_failed = false;

void* Allocate(std::size_t size)
{
    if (g_allocationsBeforeFailure == 0) {
        g_allocationsBeforeFailure = -1;
        g_failed = true;
        throw std::bad_alloc();
    }
    if (g_allocationsBeforeFailure > 0)
        --g_allocationsBeforeFailure;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

void FillSomeValues(CUzDocument& doc)
{
    for (int tag = 1; tag <= 122; ++tag) {
        doc.m_data.Item(tag).m_strValue = "a value long enough to need the heap " + std::to_string(tag);
        doc.m_data.Item(tag).m_nNumber = -1000 * tag;
    }
    doc.m_data.Item(10).m_nNumber = 1;
}

TEST(BuildTextOutOfMemory, FirstAllocationFails)
{
    CUzDocument doc;
    FillSomeValues(doc);
    ScriptedHost host;
    std::string text = "previous text";

    g_allocationsBeforeFailure = 0;
    const int result = doc.BuildText(text);
    g_allocationsBeforeFailure = -1;

    EXPECT_TRUE(g_failed);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(text.empty());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, LoadText(10018));
    EXPECT_EQ(host.boxes[0].style, 0x10u);
}

// Whichever allocation fails, no partial text is left and the user is told.
TEST(BuildTextOutOfMemory, AnyAllocationFails)
{
    CUzDocument doc;
    FillSomeValues(doc);
    std::string complete;
    ASSERT_EQ(doc.BuildText(complete), 1);

    int failures = 0;
    for (long k = 0; k < 100000; ++k) {
        ScriptedHost host;
        std::string text = "previous text";
        g_failed = false;
        g_allocationsBeforeFailure = k;
        const int result = doc.BuildText(text);
        g_allocationsBeforeFailure = -1;
        if (!g_failed) {
            // Past the last allocation: the text is whole.
            EXPECT_EQ(result, 1);
            EXPECT_EQ(text, complete);
            EXPECT_TRUE(host.boxes.empty());
            break;
        }
        ++failures;
        SCOPED_TRACE("allocation " + std::to_string(k) + " failed");
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(text.empty());
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, LoadText(10018));
        EXPECT_EQ(host.boxes[0].style, 0x10u);
    }
    EXPECT_GT(failures, 0);
}

} // namespace
