#pragma once
// Probes of the binary layout of classes: virtual slot positions and field offsets.
//
// Under the Itanium C++ ABI a pointer to a virtual member function holds 1 + the byte offset of its
// entry in the virtual table (and an adjustment of 0 for a primary base), so slot = (ptr - 1) / size
// of a table entry.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace yattest {

template <class MemberFunction>
long slotOf(MemberFunction function) {
    static_assert(sizeof(function) == 2 * sizeof(void*), "Itanium member function pointer");
    struct {
        uintptr_t pointer;
        ptrdiff_t adjustment;
    } raw;
    std::memcpy(&raw, &function, sizeof raw);
    if ((raw.pointer & 1) == 0 || raw.adjustment != 0) return -1;  // not a virtual of the primary table
    return static_cast<long>((raw.pointer - 1) / sizeof(void*));
}

// Size of the virtual table pointer that starts every polymorphic object.
constexpr ptrdiff_t kVptr = sizeof(void*);

template <class Object, class Field>
ptrdiff_t offsetIn(const Object& object, const Field& field) {
    return reinterpret_cast<const char*>(&field) - reinterpret_cast<const char*>(&object);
}

}  // namespace yattest

#define EXPECT_SLOT(Class, name, slot) EXPECT_EQ(yattest::slotOf(&Class::name), slot) << #name
