#pragma once

#include "core/radiomode.h"

#include <QtGlobal>

// The radio modes whose replies a run reads. The module reports one, but more than one can be
// on at once: a mode turned on by hand during a run is read from its next reply on.
class RadioModes
{
public:
    [[nodiscard]] bool contains(RadioMode mode) const { return (m_bits & bit(mode)) != 0; }
    [[nodiscard]] bool isEmpty() const { return m_bits == 0; }
    void set(RadioMode mode, bool on)
    {
        m_bits = on ? (m_bits | bit(mode)) : (m_bits & ~bit(mode));
    }

    friend bool operator==(RadioModes a, RadioModes b) { return a.m_bits == b.m_bits; }
    friend bool operator!=(RadioModes a, RadioModes b) { return a.m_bits != b.m_bits; }

private:
    static constexpr unsigned bit(RadioMode mode) { return 1U << static_cast<unsigned>(mode); }

    unsigned m_bits = 0;
};
