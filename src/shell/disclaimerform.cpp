#include "shell/disclaimerform.h"

DisclaimerForm::DisclaimerForm(Screen &screen) : m_screen(screen)
{
    liabilityLabel.setCaption(QStringLiteral(
        "LIMITATION OF LIABILITY.\n\n"
        "TO THE MAXIMUM EXTENT PERMITTED BY APPLICABLE LAW, IN NO EVENT SHALL THE CREATOR OF "
        "THIS SOFTWARE BE LIABLE FOR ANY SPECIAL, INCIDENTAL, INDIRECT OR CONSEQUENTIAL "
        "DAMAGES WHATSOEVER ARISING OUT OF THE USE OF OR INABILITY TO USE THIS SOFTWARE, EVEN "
        "IF ADVISED OF THE POSSIBILITY OF SUCH DAMAGES.\n\n\n"
        "--------------------------------------------------------------------"));
    questionLabel.setCaption(QStringLiteral(
        "Do you accept all of of the terms of the preceding Limitation of Liability? To install "
        "you must accept the Limitation of Liability . If  you choose No, install will close."));
    acceptButton.setCaption(QStringLiteral("Yes"));
    declineButton.setCaption(QStringLiteral("No"));
}

void DisclaimerForm::onLoad()
{
    caption = QStringLiteral("Kestrelon setup");
}

void DisclaimerForm::onAcceptClicked()
{
    accepted = true;
    m_screen.setWaitCursor(true);
    if (openMainWindow)
        openMainWindow();
    m_screen.setWaitCursor(false);
}

void DisclaimerForm::onDeclineClicked()
{
    declined = true;
}
