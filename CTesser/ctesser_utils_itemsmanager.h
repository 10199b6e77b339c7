// Slot containers shared by every manager of the engine and the game.
//
// TItemsManager<T> keeps heap objects in numbered slots; each slot also has
// a string identifier and a tag. The slot index is the handle the engine
// passes around; emptied slots are reused, slots are never removed, so the
// index of an occupied slot never changes. Lookups return -1 when nothing
// is found. The manager owns its items: owners call FreeAllItems before
// destroying it (the destructor itself deletes nothing).
//
// TItemsManagerCOM<T> holds reference-counted objects (anything with a
// `Release()` returning the remaining count): freeing a slot releases the
// object and insists that no reference remains.
//
// Internal errors are thrown as plain message texts (`const char*`).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

template <class T>
class TItemsManager {
public:
    TItemsManager() = default;
    virtual ~TItemsManager() = default;
    TItemsManager(const TItemsManager&) = delete;
    TItemsManager& operator=(const TItemsManager&) = delete;

    // Stores the item and returns its slot index. When an occupied slot
    // already carries the identifier, that slot's index is returned and the
    // item is NOT stored (it stays the caller's). Otherwise the item goes
    // into the lowest empty slot, or into a new slot at the end.
    // An empty identifier names nothing: such an item is always stored.
    int AddItem(T* item, const std::string& strID, int tag)
    {
        if (!strID.empty()) {
            const int found = FindOccupiedID(strID);
            if (found >= 0)
                return found;
        }
        for (int i = 0; i < m_count; ++i) {
            if (!m_items[static_cast<size_t>(i)]) {
                m_items[static_cast<size_t>(i)] = item;
                m_ids[static_cast<size_t>(i)] = strID;
                m_tags[static_cast<size_t>(i)] = tag;
                return i;
            }
        }
        m_items.push_back(item);
        m_ids.push_back(strID);
        m_tags.push_back(tag);
        return m_count++;
    }

    // Lowest slot whose identifier equals the string, or -1. An empty
    // string finds the first empty slot.
    int FindID(const char* strID) const
    {
        const std::string_view key = strID ? strID : "";
        for (int i = 0; i < m_count; ++i)
            if (m_ids[static_cast<size_t>(i)] == key)
                return i;
        return -1;
    }
    int FindID(const std::string& strID) const { return FindID(strID.c_str()); }

    // Null for an index outside the slots and for an empty slot.
    T* GetItem(int index) const { return IsIndex(index) ? m_items[static_cast<size_t>(index)] : nullptr; }
    int GetCount() const { return m_count; }
    // Identifier and tag of a slot ("" and 0 outside the slots).
    const std::string& GetID(int index) const
    {
        static const std::string none;
        return IsIndex(index) ? m_ids[static_cast<size_t>(index)] : none;
    }
    int GetTag(int index) const { return IsIndex(index) ? m_tags[static_cast<size_t>(index)] : 0; }

    // Deletes the slot's item (if any) and empties the slot. The slot count
    // does not change. Throws for an index outside the slots.
    virtual void FreeItem(int index)
    {
        if (!IsIndex(index))
            throw static_cast<const char*>("Error in TItemsManager<T>::FreeItem");
        T* item = m_items[static_cast<size_t>(index)];
        EmptySlot(index);
        delete item;
    }

    // FreeItem for every slot, in ascending order.
    virtual void FreeAllItems()
    {
        for (int i = 0; i < m_count; ++i)
            FreeItem(i);
    }

    // Iteration over the occupied slots with a tag (0: every occupied
    // slot), in ascending order. Null when none is left. One iteration per
    // manager at a time: the cursor lives here.
    T* GetFirstItemWithTag(int tag)
    {
        m_tagFilter = tag;
        m_cursor = -1;
        return Advance(0);
    }
    T* GetNextItemWithTag()
    {
        if (m_cursor < 0)
            return nullptr;
        return Advance(m_cursor + 1);
    }
    // Slot index of the item last returned by the iteration, or -1.
    int GetCursor() const { return m_cursor; }

protected:
    bool IsIndex(int index) const { return index >= 0 && index < m_count; }

    void EmptySlot(int index)
    {
        m_items[static_cast<size_t>(index)] = nullptr;
        m_ids[static_cast<size_t>(index)].clear();
        m_tags[static_cast<size_t>(index)] = 0;
    }

    T*& Slot(int index) { return m_items[static_cast<size_t>(index)]; }

private:
    int FindOccupiedID(const std::string& strID) const
    {
        for (int i = 0; i < m_count; ++i)
            if (m_items[static_cast<size_t>(i)] && m_ids[static_cast<size_t>(i)] == strID)
                return i;
        return -1;
    }

    T* Advance(int from)
    {
        for (int i = from; i < m_count; ++i) {
            const size_t s = static_cast<size_t>(i);
            if (m_items[s] && (m_tagFilter == 0 || m_tags[s] == m_tagFilter)) {
                m_cursor = i;
                return m_items[s];
            }
        }
        m_cursor = -1;
        return nullptr;
    }

    int m_count = 0;
    std::vector<T*> m_items;
    std::vector<int> m_tags;
    std::vector<std::string> m_ids;
    int m_tagFilter = 0;
    int m_cursor = -1;
};

template <class T>
class TItemsManagerCOM : public TItemsManager<T> {
public:
    // Releases the slot's object. When no reference remains (or the slot
    // was empty) the slot is emptied. When references remain, the slot is
    // left occupied and "Unreleased object references left!" is thrown;
    // the reference held by the slot is gone all the same, so a later
    // FreeItem of that slot empties it without releasing the object again.
    void FreeItem(int index) override
    {
        if (!this->IsIndex(index))
            throw static_cast<const char*>("Error in TItemsManagerCOM<T>::FreeItem");
        T* item = this->Slot(index);
        if (!item || WasReleased(index)) {
            ForgetReleased(index);
            this->EmptySlot(index);
            return;
        }
        // Marked before the call: if Release itself throws, the reference
        // counts as given up and is never released a second time.
        MarkReleased(index);
        const auto remaining = item->Release();
        if (remaining >= 1)
            throw static_cast<const char*>("Unreleased object references left!");
        ForgetReleased(index);
        this->EmptySlot(index);
    }

private:
    bool WasReleased(int index) const
    {
        return static_cast<size_t>(index) < m_released.size() && m_released[static_cast<size_t>(index)];
    }
    void MarkReleased(int index)
    {
        if (m_released.size() <= static_cast<size_t>(index))
            m_released.resize(static_cast<size_t>(index) + 1, false);
        m_released[static_cast<size_t>(index)] = true;
    }
    void ForgetReleased(int index)
    {
        if (static_cast<size_t>(index) < m_released.size())
            m_released[static_cast<size_t>(index)] = false;
    }

    // Slots whose reference has been released although the object is
    // still alive (it had other references).
    std::vector<bool> m_released;
};
