#include "platform/system_message.h"

#include <cerrno>
#include <cstring>

std::string frenchReason(int errnoValue)
{
    // The texts of the C library's French translation, so that the messages read the same
    // whatever language the PC's system messages are in.
    switch (errnoValue) {
    case EPERM: return "Opération non permise";
    case ENOENT: return "Aucun fichier ou dossier de ce type";
    case EIO: return "Erreur d'entrée/sortie";
    case ENXIO: return "Aucun périphérique ou adresse de ce type";
    case EBADF: return "Mauvais descripteur de fichier";
    case EACCES: return "Permission non accordée";
    case EBUSY: return "Périphérique ou ressource occupé";
    case EEXIST: return "Le fichier existe";
    case ENODEV: return "Aucun périphérique de ce type";
    case ENOTDIR: return "N'est pas un dossier";
    case EISDIR: return "Est un dossier";
    case EINVAL: return "Argument invalide";
    case EMFILE: return "Trop de fichiers ouverts";
    case ENOTTY: return "Ioctl() inapproprié pour un périphérique";
    case EFBIG: return "Fichier trop volumineux";
    case ENOSPC: return "Aucun espace disponible sur le périphérique";
    case EROFS: return "Système de fichiers accessible en lecture seulement";
    case ENAMETOOLONG: return "Nom de fichier trop long";
    case EDQUOT: return "Quota de disque dépassé";
    case ETIMEDOUT: return "Connexion terminée par expiration du délai d'attente";
    case EAGAIN: return "Ressource temporairement non disponible";
    case ENOMEM: return "Impossible d'allouer de la mémoire";
    case ELOOP: return "Boucle de liens symboliques (trop de niveaux de liens)";
    default: break;
    }
    return std::strerror(errnoValue);
}

std::string frenchReason(const std::error_code& code)
{
    if (code.category() == std::generic_category() || code.category() == std::system_category())
        return frenchReason(code.value());
    return code.message();
}
