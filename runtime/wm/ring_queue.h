#pragma once
// A first-in, first-out queue that keeps its storage: after it has grown to the largest
// length it held, pushing and popping allocate nothing. Its room is a power of two, so that
// wrapping around is a mask, not a division.

#include <cstddef>
#include <utility>
#include <vector>

namespace wm {

template <typename T>
class RingQueue {
  public:
    bool empty() const { return m_count == 0; }
    size_t size() const { return m_count; }
    T& front() { return m_slots[m_head]; }
    const T& front() const { return m_slots[m_head]; }
    T& back() { return (*this)[m_count - 1]; }
    const T& back() const { return (*this)[m_count - 1]; }
    T& operator[](size_t i) { return m_slots[(m_head + i) & (m_slots.size() - 1)]; }
    const T& operator[](size_t i) const { return m_slots[(m_head + i) & (m_slots.size() - 1)]; }

    void push_back(T&& item) { push_back() = std::move(item); }
    // A new item at the back, as T() leaves it, to be filled in place.
    T& push_back() {
        if (m_count == m_slots.size()) Grow();
        ++m_count;
        return back();
    }
    // The slot is reset, so what the item held is let go at once.
    void pop_front() {
        m_slots[m_head] = T();
        m_head = (m_head + 1) & (m_slots.size() - 1);
        --m_count;
    }

  private:
    void Grow() {
        std::vector<T> slots(m_slots.empty() ? 8 : m_slots.size() * 2);
        for (size_t i = 0; i < m_count; ++i) slots[i] = std::move((*this)[i]);
        m_slots = std::move(slots);
        m_head = 0;
    }

    std::vector<T> m_slots;
    size_t m_head = 0;
    size_t m_count = 0;
};

}  // namespace wm
