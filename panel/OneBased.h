// A fixed array indexed from 1, as the panel's control families are numbered.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>

template <typename T, std::size_t N> class OneBased {
public:
    T& operator[](std::size_t n) {
        assert(n >= 1 && n <= N);
        return items_[n - 1];
    }
    const T& operator[](std::size_t n) const {
        assert(n >= 1 && n <= N);
        return items_[n - 1];
    }
    static constexpr std::size_t Count = N;

private:
    std::array<T, N> items_{};
};
