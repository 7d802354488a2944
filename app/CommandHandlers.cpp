#include "app/CommandHandlers.h"

namespace {
// wx keeps the static event table behind a protected accessor; a member
// pointer taken through a derived class reaches it for any handler.
struct EventTableAccess : wxEvtHandler {
    static const wxEventTable* Of(const wxEvtHandler& h) { return (h.*&EventTableAccess::GetEventTable)(); }
};

bool Covers(const wxEventTableEntryBase& e, int id)
{
    if (e.m_id == wxID_ANY)
        return true;
    if (e.m_lastId == wxID_ANY)
        return e.m_id == id;
    return e.m_id <= id && id <= e.m_lastId;
}

bool HasOwnHandler(const wxEvtHandler& h, int id)
{
    for (const wxEventTable* t = EventTableAccess::Of(h); t; t = t->baseTable)
        for (const wxEventTableEntry* e = t->entries; e->m_fn; ++e)
            if (e->m_eventType == wxEVT_MENU && Covers(*e, id))
                return true;
    size_t cookie = 0;
    for (const wxDynamicEventTableEntry* e = h.GetFirstDynamicEntry(cookie); e; e = h.GetNextDynamicEntry(cookie))
        if (e->m_eventType == wxEVT_MENU && Covers(*e, id))
            return true;
    return false;
}
} // namespace

bool HasCommandHandler(const wxEvtHandler& handler, int id)
{
    for (const wxEvtHandler* h = &handler; h; h = h->GetNextHandler())
        if (HasOwnHandler(*h, id))
            return true;
    return false;
}
