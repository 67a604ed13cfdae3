#pragma once

struct RecordView;

// The display flags of the user running the tool, read once: whether the program lists a record.
class ListedFlags
{
public:
    ListedFlags();
    bool Listed(const RecordView& record) const;

private:
    int m_call = 1;
    int m_fault = 1;
    int m_normal = 1;
    int m_system = 0;
};
