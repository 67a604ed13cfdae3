#pragma once
#include "archive/IDocView.h"

class CQuorvelDoc;

// The first view of a channel document when the station runs without windows: every record that
// enters the list is written to standard output as "<channel name>: <event line>", flushed at once.
class CHeadlessConsole : public IDocView
{
public:
    explicit CHeadlessConsole(CQuorvelDoc& document);

    void ScrollBy(int columns, int lines) override;
    void UpdateScrollRange() override {}
    void ResetDisplay() override {}
    void UpdateAllViews() override {}

private:
    CQuorvelDoc& m_document;
};
