#pragma once

// The state codes every business document (order, stock receipt or issue,
// invoice, payment) keeps in its "stats" column.
enum DocumentState : int {
    STATE_NONE = 0,     // not active: counts nowhere
    STATE_NEW = 1,      // active; may still be removed
    STATE_ACTIVE = 2,   // active
    STATE_OPEN = 3,     // active and editable: what a save leaves
    STATE_FINISHED = 4, // closed to history
    STATE_REVERSED = 5, // reversed by a red-ink copy
    STATE_RED_INK = 6,  // the red-ink copy reversing another document
};

// The states counted in totals and open work: 1 to 3.
constexpr bool isCounted(int state)
{
    return state >= STATE_NEW && state <= STATE_OPEN;
}
// The states a later document may refer to: 1 to 4.
constexpr bool isReferable(int state)
{
    return state >= STATE_NEW && state <= STATE_FINISHED;
}
