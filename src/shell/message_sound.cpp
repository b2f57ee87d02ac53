#include "shell/message_sound.h"

#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace kestrave {

MessageRoutine::SoundPlayer soundEffectPlayer(QObject& owner) {
    QPointer<QSoundEffect> effect = new QSoundEffect(&owner);
    return [effect](const std::filesystem::path& file) {
        if (!effect) return;
        const QUrl source = QUrl::fromLocalFile(QString::fromStdString(file.string()));
        // A sound that is still loading plays as soon as it is ready.
        if (effect->source() != source) effect->setSource(source);
        effect->play();
    };
}

}  // namespace kestrave
