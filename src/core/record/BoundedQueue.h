#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

// Hands items from one thread to another, holding at most `capacity` of
// them, so that a producer that runs ahead waits instead of filling memory.
// Either side can end the exchange: the producer closes the queue when no
// more will come (the taker still gets what is in it), the taker abandons it
// when it stops taking (the producer's next push says so, and what is in it
// is dropped).
template <typename T> class BoundedQueue final
{
public:
    explicit BoundedQueue(size_t capacity) : m_capacity(capacity) {}

    // Waits while the queue is full; false once it is abandoned.
    bool push(T&& item)
    {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_items.size() < m_capacity || m_abandoned; });
            if (m_abandoned)
                return false;
            m_items.push_back(std::move(item));
        }
        m_changed.notify_all();
        return true;
    }

    // Waits for an item; nothing once the queue is closed and empty, or
    // abandoned.
    std::optional<T> pop()
    {
        std::optional<T> item;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_items.empty() || m_closed || m_abandoned; });
            if (m_items.empty() || m_abandoned)
                return std::nullopt;
            item.emplace(std::move(m_items.front()));
            m_items.pop_front();
        }
        m_changed.notify_all();
        return item;
    }

    // An item if there is one, without waiting.
    std::optional<T> tryPop()
    {
        std::lock_guard lock(m_mutex);
        if (m_items.empty())
            return std::nullopt;
        std::optional<T> item(std::move(m_items.front()));
        m_items.pop_front();
        return item;
    }

    void close()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_changed.notify_all();
    }

    void abandon()
    {
        std::deque<T> dropped;
        {
            std::lock_guard lock(m_mutex);
            m_abandoned = true;
            dropped.swap(m_items);
        }
        m_changed.notify_all();
    }

private:
    const size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<T> m_items;
    bool m_closed = false;
    bool m_abandoned = false;
};
