#pragma once

#include "project/byte_list.h"
#include "project/value.h"
#include "result.h"

#include <QByteArray>
#include <QString>

namespace ondrel {

// Received bytes as the monitor and the simulator's reply box show them: each byte is a blank
// and a piece. Text gives the character (a carriage return gives " <CR>"), Hex the upper-case
// value without leading zero, Decimal the value. 0x0D 0x02 in Hex read ' D 2'.
QString presentReceived(const QByteArray& bytes, Notation form);

// Sent bytes as the simulator's command box shows them: Text appends each character with a
// blank before it ("<CR>" for 13, without blank), Hex a blank, the value and "H" (' 2H 50H').
QString presentSent(const QByteArray& bytes, Notation form);

// The bytes that go out for a command string; an empty slot goes out as 0. A slot that holds no
// byte value is an error naming it, so that no half command is sent.
Result<QByteArray> bytesToSend(const ByteList& list);

} // namespace ondrel
