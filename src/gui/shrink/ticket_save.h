#pragma once
// Saving tickets as text for the betting sites: a format box (spaces, commas, or bars between the
// positions of a 直选 ticket) and the save itself, which says where it saved and how many.

#include "workspace/shrink_service.h"

#include <QString>

class QComboBox;

namespace app::gui {

class Prompter;

// A box of the formats; the bars only while `ordered`.
QComboBox* newTicketFormatBox(const QString& objectName);
void setTicketFormatsFor(QComboBox& box, bool ordered);
TicketFormat ticketFormatOf(const QComboBox& box);

// Asks for the file in a save dialog, writes the tickets with CR LF (atomically) and says where and
// how many; a missing folder is named as the user gave it.
void saveTickets(Prompter& prompter, play::Play play, const std::vector<std::uint32_t>& tickets,
                 const QString& defaultName, TicketFormat format);

} // namespace app::gui
