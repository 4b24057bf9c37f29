#pragma once

#include <QString>

// The address the front desk types to see the board: http://<address>:<port>/, with the address
// the service is bound to, or when bound to every interface this PC's first address on a
// network (IPv4, as arena networks are). Empty for port 0, the service off.
QString BoardAddress(int port, const QString& boundAddress);
