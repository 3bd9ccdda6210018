#pragma once
// The system's reason for a failure, in French, for the messages the user sees.
#include <string>
#include <system_error>

/// "Permission non accordée" for EACCES, "Aucun fichier ou dossier de ce type" for ENOENT, ...;
/// the C library's own text for a code without a French text here.
std::string frenchReason(const std::error_code& code);
std::string frenchReason(int errnoValue);
