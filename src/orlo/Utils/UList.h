#pragma once

#include <cstdint>
#include <new>

#include "orlo/CoreServices/Interfaces/Memory.h"

namespace orlo {

// A doubly linked list of values; every node is a heap object of its own.
template <class T>
class UList {
public:
    struct Node {
        T value;
        Node* prev;
        Node* next;
    };

    UList() = default;
    UList(const UList& other) {
        for (const Node* node = other.m_first; node != nullptr; node = node->next)
            AddTail(node->value);
    }
    UList& operator=(const UList& other) {
        if (this != &other) {
            UList copy(other);
            Swap(copy);
        }
        return *this;
    }
    ~UList() noexcept(false) {
        while (RemoveTail()) {
        }
    }

    // Appends a copy of `value` after the last node.
    void AddTail(const T& value) {
        void* block = AllocateOrRaise(sizeof(Node), LOCATION_NEW);
        Node* node;
        try {
            node = new (block) Node{value, m_last, nullptr};
        } catch (...) {
            Free(block, LOCATION_DELETE);
            throw;
        }
        if (m_last != nullptr)
            m_last->next = node;
        else
            m_first = node;
        m_last = node;
        ++m_count;
    }

    // Unlinks, destroys and releases the last node; false for an empty list.
    bool RemoveTail() {
        Node* node = m_last;
        if (node == nullptr)
            return false;
        m_last = node->prev;
        if (m_last != nullptr)
            m_last->next = nullptr;
        else
            m_first = nullptr;
        --m_count;
        node->~Node();
        Free(node, LOCATION_DELETE);
        return true;
    }

    Node* GetFirst() const { return m_first; }
    Node* GetLast() const { return m_last; }
    int32_t Num() const { return m_count; }

    void Swap(UList& other) {
        Node* first = m_first;
        Node* last = m_last;
        int32_t count = m_count;
        m_first = other.m_first;
        m_last = other.m_last;
        m_count = other.m_count;
        other.m_first = first;
        other.m_last = last;
        other.m_count = count;
    }

private:
    Node* m_first = nullptr;
    Node* m_last = nullptr;
    int32_t m_count = 0;
};

} // namespace orlo
