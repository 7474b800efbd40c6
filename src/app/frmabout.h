#pragma once

#include <QDialog>
#include <QString>

namespace tl
{

class Prompter;

// "ﾊﾞｰｼﾞｮﾝ " followed by the program version (major.minor.revision).
QString VersionLabelText(const QString& version);

// The system information program: the first of a few known ones found on PATH, or empty.
QString FindSystemInfoProgram();

// The About box: title, description, version and the system information button.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(Prompter& prompts, QWidget* parent = nullptr);

    // Starts the system information program, or says that there is none.
    void StartSysInfo();

private:
    Prompter& prompts_;
};

} // namespace tl
