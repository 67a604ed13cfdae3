#pragma once

// What a channel document asks of its first view. The window view draws the event list; the
// headless console prints each new record.
class IDocView
{
public:
    virtual ~IDocView() = default;
    // Called with (0, 1) after a record was appended to the list.
    virtual void ScrollBy(int columns, int lines) = 0;
    virtual void UpdateScrollRange() = 0;
    // The list was emptied.
    virtual void ResetDisplay() = 0;
    virtual void UpdateAllViews() = 0;
};
