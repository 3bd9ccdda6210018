// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// Why a measurement file's lines or a companion's rows wait, in French, as the main window and
// the recorder both say it.
#include <string>

#include "acquisition/measurement_file.h"

/// « un autre programme l'écrit déjà (processus 4242) » (without the number when it cannot be
/// told) when another process writes the file, otherwise the system's reason
/// (« Aucun espace disponible sur le périphérique »).
std::string failureReason(const acquisition::WriteFailure& failure);

/// « Écriture impossible dans PATH : REASON. », how each message about them begins.
std::string writeImpossible(const acquisition::WriteFailure& failure);

/// writeImpossible, then « Le journal de la série attend ; les mesures, elles, sont
/// enregistrées. »: the run companion's rows wait, the lines do not.
std::string companionWaits(const acquisition::WriteFailure& failure);
