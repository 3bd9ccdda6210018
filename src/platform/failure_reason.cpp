// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "platform/failure_reason.h"

#include "platform/system_message.h"

std::string failureReason(const acquisition::WriteFailure& failure)
{
    if (!failure.otherWriter)
        return frenchReason(failure.code);
    if (*failure.otherWriter == 0)
        return "un autre programme l'écrit déjà";
    return "un autre programme l'écrit déjà (processus " + std::to_string(*failure.otherWriter) + ")";
}

std::string writeImpossible(const acquisition::WriteFailure& failure)
{
    return "Écriture impossible dans " + failure.path.string() + " : " + failureReason(failure) + ".";
}

std::string companionWaits(const acquisition::WriteFailure& failure)
{
    return writeImpossible(failure) + " Le journal de la série attend ; les mesures, elles, sont enregistrées.";
}
