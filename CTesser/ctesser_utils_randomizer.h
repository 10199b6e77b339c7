// A weighted random choice: a value's chance is its weight divided by the
// sum of the weights. The draw uses the runtime's shared `rand` generator
// (never seeded by the engine, so a run repeats unless a script seeds it).
//
// Errors are thrown as plain message texts (`const char*`).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

template <class T>
class TRandomizer {
public:
    // Adds a candidate. Weights are meant to be positive; a weight of 0 or
    // below makes the candidate impossible (unless it is the only one).
    void AddValue(const T& value, int32_t weight)
    {
        m_values.push_back(value);
        m_weights.push_back(weight);
        ++m_count;
    }

    int32_t GetCount() const { return m_count; }
    void Clear()
    {
        m_values.clear();
        m_weights.clear();
        m_count = 0;
    }

    // Sum of the positive weights, without overflow.
    int64_t GetTotalWeight() const
    {
        int64_t total = 0;
        for (int32_t w : m_weights)
            if (w > 0)
                total += w;
        return total;
    }

    // One of the values. A single candidate is returned without a draw.
    // Throws "No values were thrown in randomizer!" when empty and
    // "Error in TRandomizer::GetRandomValue: total weight is 0 or below!"
    // when two or more candidates have no positive weight.
    const T& GetRandomValue() const
    {
        if (m_count == 0)
            throw static_cast<const char*>("No values were thrown in randomizer!");
        if (m_count == 1)
            return m_values[0];
        const int64_t total = GetTotalWeight();
        if (total <= 0)
            throw static_cast<const char*>("Error in TRandomizer::GetRandomValue: total weight is 0 or below!");
        return SelectByDraw(static_cast<int64_t>(std::rand()) % total);
    }

    // The candidate whose half-open interval of cumulative weights holds r
    // (0 <= r < total weight). Throws "Error in TRandomizer::GetRandomValue!"
    // for an r outside every interval.
    const T& SelectByDraw(int64_t r) const
    {
        int64_t from = 0;
        for (size_t i = 0; i < m_values.size(); ++i) {
            if (m_weights[i] <= 0)
                continue;
            const int64_t to = from + m_weights[i];
            if (r >= from && r < to)
                return m_values[i];
            from = to;
        }
        throw static_cast<const char*>("Error in TRandomizer::GetRandomValue!");
    }

private:
    std::vector<T> m_values;
    std::vector<int32_t> m_weights;
    int32_t m_count = 0;
};
