// The command editor: a manual's command typed whole, once good and once with a fault marked.
#include "shots.h"
#include "ui/buttons/command_notation_edit.h"
#include "ui/buttons/frm_command_editor.h"
#include "ui/buttons/frm_config_buttons.h"
#include "ui/catalogue/frm_user_models.h"

#include <QLineEdit>

namespace {

void commandShots(ondrel::shots::Shots& shots) {
    using namespace ondrel;
    shots.state().updatePort(
        0, [&](CommSets& settings) { settings.prsentAs = 1; }); // an ASCII protocol
    shots.state().updatePort(1, [&](CommSets& settings) { settings.prsentAs = 2; }); // a binary one
    ui::FrmConfigButtons* config = shots.mainWindow().openButtonConfiguration(0);

    ui::FrmCommandEditor* text = config->openCommandEditor(0, CommandPort::One);
    text->editor()->commandBox()->setText(QStringLiteral("PWR ON<CR>"));
    shots.save(text, QStringLiteral("FrmCommandEditor-text"));

    // A manual's hex frame pasted while the editor reads text: the hint offers to read it as hex.
    text->editor()->commandBox()->setText(QStringLiteral("BE EF 03 06 00 BA D2 01 00 00 60 01 00"));
    shots.save(text, QStringLiteral("FrmCommandEditor-hexInText"));
    text->editor()->commandBox()->setText(QStringLiteral("PWR ON<CRR>"));
    shots.save(text, QStringLiteral("FrmCommandEditor-lookalike"));

    ui::FrmCommandEditor* hex = config->openCommandEditor(0, CommandPort::Two);
    hex->editor()->commandBox()->setText(QStringLiteral("BE EF 03 06 00 XX D2 01 00 00 60 01 00"));
    hex->editor()->commandBox()->setCursorPosition(0);
    shots.save(hex);
    hex->close();
    config->close();

    // Your own models: a copy of a shipped model with one command changed, being edited.
    ui::frmUserModels* models = shots.mainWindow().mnuUserModels_Click();
    models->load(QStringLiteral("Epson"), QStringLiteral("EB-85"));
    models->findChild<QLineEdit*>(QStringLiteral("txtManufacturer"))
        ->setText(QStringLiteral("Acme"));
    models->findChild<QLineEdit*>(QStringLiteral("txtModel"))->setText(QStringLiteral("PJ-100"));
    models->editCommand(QStringLiteral("Black_Screen"), true);
    models->commandEditor()->commandBox()->setText(QStringLiteral("MUTE OFF<CR>"));
    shots.save(models);
}

const bool registered = ondrel::shots::registerArea("commands", &commandShots);

} // namespace
