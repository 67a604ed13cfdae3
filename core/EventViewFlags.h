#pragma once

// The three display flags a person chooses in Event View ("Call", "Fault", "Normal" of section
// "Settings"), as the lists follow them now: a flag with nothing stored (or no number) counts as set,
// as does a stored value other than 0 (only a hand-edited store has one). "System" is not among them.
struct EventViewFlags
{
    bool call = true;
    bool fault = true;
    bool normal = true;

    static EventViewFlags Load();
    // Stores Call, Fault and Normal, in that order, as 1 or 0; "System" stays as stored.
    void Store() const;

    bool operator==(const EventViewFlags& other) const
    {
        return call == other.call && fault == other.fault && normal == other.normal;
    }
};
