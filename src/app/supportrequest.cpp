#include "app/supportrequest.h"

#include "app/common.h"
#include "app/language.h"
#include "app/messages.h"
#include "app/units.h"

#include <QDir>

namespace {

const QString noData = QStringLiteral("!!! no data !!!");

QString Escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// The seven machine fields in the order of the page's table.
struct MachineFields
{
    QString manufacturer = noData;
    QString model = noData;
    QString workingArea = noData;
    QString width = noData;
    QString workingTime = noData;
    QString fileCount = noData;
    // The controller does not report where it was designed.
    QString designed = noData;
};

MachineFields FieldsOf(const TSupportRequest &request)
{
    MachineFields fields;
    const TMachineReport &m = request.machine;
    if (!m.connected)
        return fields;
    fields.manufacturer = m.manufacturer;
    fields.model = m.machineName;
    fields.workingArea = WorkAreaText(m.limitX, m.limitY, request.unit);
    QString width = QString::number(static_cast<double>(Units::MmToUnit(request.unit, m.fcWidth)), 'g', 15);
    width.replace(QLatin1Char('.'), request.decimalPoint);
    fields.width = width + QLatin1Char(' ') + Units::unitName(request.unit);
    fields.workingTime = QString::number(m.workingTime / 60) + QStringLiteral(" h ")
        + QString::number(m.workingTime % 60) + QStringLiteral(" min.");
    fields.fileCount = QString::number(m.jobCount);
    return fields;
}

void AddScripts(QStringList &page)
{
    page << QStringLiteral(" <SCRIPT LANGUAGE=\"JavaScript\">")
         << QStringLiteral(" function sprawdz_pole(frm,nzwPola,opisPola)") << QStringLiteral(" {")
         << QStringLiteral("   if (frm.elements[nzwPola].value == \"\")") << QStringLiteral("   {")
         << QStringLiteral("     frm.elements[nzwPola].focus();")
         << QStringLiteral("     alert(opisPola + \" is required\");") << QStringLiteral("     return false;")
         << QStringLiteral("   }") << QStringLiteral("   return true;") << QStringLiteral(" }")
         << QStringLiteral(" function sprawdz(forma)") << QStringLiteral(" {")
         << QStringLiteral("   return sprawdz_pole(forma,\"softVersion\",\"Software version\")")
         << QStringLiteral("     && sprawdz_pole(forma,\"operationSystem\",\"Operation system\")")
         << QStringLiteral("     && sprawdz_pole(forma,\"ploterSN\",\"Serial number\")")
         << QStringLiteral("     && sprawdz_pole(forma,\"problem\",\"Problem description\")")
         << QStringLiteral("     && sprawdz_pole(forma,\"clientName\",\"Your name\")")
         << QStringLiteral("     && sprawdz_pole(forma,\"clientEmail\",\"Your mail\");")
         << QStringLiteral(" }") << QStringLiteral(" </SCRIPT>");
}

void AddProgramPart(QStringList &page, const TSupportRequest &request)
{
    page << QStringLiteral(" <P> <B> I have problem with </B> ")
         << QStringLiteral("     <SELECT NAME=\"application\">")
         << QStringLiteral("       <OPTION SELECTED>Dervilon</OPTION>");
    for (const char *program : {"Brelventor", "Morvantello", "Tessavorn", "Quillorant", "Quillorant3D"})
        page << QStringLiteral("       <OPTION>") + QString::fromLatin1(program)
                + QStringLiteral("</OPTION>");
    page << QStringLiteral("     </SELECT>") << QStringLiteral("         (...)")
         << QStringLiteral("     <B> ver. </B> ")
         << QStringLiteral(
                "     <INPUT TYPE=\"text\" NAME=\"softVersion\" SIZE=\"18\" MAXLENGTH=\"24\" VALUE=\"")
            + Escaped(request.softwareVersion) + QStringLiteral("\">")
         << QStringLiteral("     <B> installed on </B> ")
         << QStringLiteral("     <INPUT TYPE=\"text\" NAME=\"operationSystem\" SIZE=\"45\" VALUE=\"")
            + Escaped(request.operatingSystem) + QStringLiteral("\">");
    if (!request.machine.connected)
        page << QStringLiteral(" <P> <B> <FONT COLOR=\"red\" SIZE=\"6\"> No communication, no data! Please "
                               "connect ploter and try again </FONT> </B> </P>");
    page << QStringLiteral(
        " <P> <B>Problem description</B> <FONT SIZE=\"-1\"> (english or polish please) </FONT>")
         << QStringLiteral(" <BR><TEXTAREA NAME=\"problem\" COLS=\"100\" ROWS=\"20\"></TEXTAREA>")
         << QStringLiteral(" <P> <B>Trenvaskel serial number: </B> ")
         << QStringLiteral("     <INPUT TYPE=\"text\" NAME=\"ploterSN\" SIZE=\"11\" MAXLENGTH=\"11\">")
         << QStringLiteral(
                "     <BR><FONT SIZE=\"-1\"> The serial number is on the Korvanel sticker at the back of "
                "the controller and on top of the front trolley.")
         << QStringLiteral(
                "     Depending on the machine model it is nine digits, or nine digits followed by two "
                "letters. </FONT>");
}

void AddAttachments(QStringList &page, const QStringList &files)
{
    page << QStringLiteral(" <HR>")
         << QStringLiteral(
                " <P> <B>The following files are attached and will be sent to Korvanel support:</B>")
         << QStringLiteral(
                " <BR><FONT SIZE=\"-1\">(delete any of them if you do not wish to share them)</FONT>")
         << QStringLiteral(" <BR><SELECT NAME=\"attachedFiles\" MULTIPLE SIZE=\"")
            + QString::number(std::max<qsizetype>(files.size(), 1)) + QStringLiteral("\">");
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString file = Escaped(files[i]);
        page << QStringLiteral("   <OPTION NAME=\"atach") + QString::number(i + 1)
                + QStringLiteral("\" VALUE=\"") + file + QStringLiteral("\" SELECTED>") + file
                + QStringLiteral("</OPTION>");
    }
    page << QStringLiteral(" </SELECT>");
}

void AddMachinePart(QStringList &page, const MachineFields &fields)
{
    page << QStringLiteral(" <HR>") << QStringLiteral(" <P> <B>Foam cutter info:</B>")
         << QStringLiteral(" <BR><FONT SIZE=\"-1\">(autmoatic loaded from electronic controler when it is "
                           "connected)</FONT>")
         << QStringLiteral(" <TABLE>");
    const std::pair<const char *, const QString *> rows[] = {
        {"manufacturer", &fields.manufacturer},
        {"foam cutter model", &fields.model},
        {"working area", &fields.workingArea},
        {"foam cutter width", &fields.width},
        {"working time", &fields.workingTime},
        {"# of files", &fields.fileCount},
        {"electronic controller designed at", &fields.designed},
    };
    const char *const names[]
        = {"ploterManufacturer", "ploterModel",         "ploterWorkingArea", "ploterWidth",
           "ploterWorkingTime",  "ploterNumberOfFiles", "ploterDesigned"};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        page << QStringLiteral("   <TR><TD><INPUT TYPE=\"text\" NAME=\"") + QString::fromLatin1(names[i])
                + QStringLiteral("\" SIZE=\"30\" READONLY VALUE=\"") + Escaped(*rows[i].second)
                + QStringLiteral("\"></TD><TD>") + QString::fromLatin1(rows[i].first)
                + QStringLiteral("</TD></TR>");
    }
    page << QStringLiteral(" </TABLE>");
}

void AddContactPart(QStringList &page)
{
    page << QStringLiteral(" <P> <B> Contact with me: </B>") << QStringLiteral(" <TABLE>");
    for (const auto &[name, label] : {std::pair("clientName", "name"), std::pair("clientEmail", "email"),
                                      std::pair("clientTel", "phon")}) {
        page << QStringLiteral("   <TR><TD><INPUT TYPE=\"text\" NAME=\"") + QString::fromLatin1(name)
                + QStringLiteral("\" SIZE=\"30\"></TD><TD>") + QString::fromLatin1(label)
                + QStringLiteral("</TD></TR>");
    }
    page << QStringLiteral(" </TABLE>")
         << QStringLiteral(" <P> <FONT SIZE=\"-1\"> This raport contain informations required to solve your "
                           "problem. ")
         << QStringLiteral("     <BR> It not contain personal data and no personally identifiable "
                           "informations.</FONT>")
         << QStringLiteral(" <BR><INPUT TYPE=\"submit\" VALUE=\"Send to Korvanel support\" />")
         << QStringLiteral(" </FORM>");
}

} // namespace

QString SupportSoftwareVersion(const QString &executableDate)
{
    return VersionString(true, true) + QStringLiteral(" [") + executableDate + QLatin1Char(']');
}

QString MakeSupportRequest(const TSupportRequest &request)
{
    QStringList page;
    page << QStringLiteral(" <HTML><HEAD><TITLE> Notification form </TITLE></HEAD><BODY>");
    AddScripts(page);
    page << QStringLiteral(" <FORM METHOD=\"post\" ACTION=\"") + Escaped(request.formAction)
            + QStringLiteral("\" onSubmit=\"return sprawdz(this)\">");
    AddProgramPart(page, request);
    AddAttachments(page, request.attachedFiles);
    AddMachinePart(page, FieldsOf(request));
    AddContactPart(page);
    page << QStringLiteral(" </BODY></HTML>");
    return page.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

bool WriteSupportRequest(const TSupportRequest &request, const QString &path,
                         const std::function<bool(const QString &)> &open)
{
    // The byte-order mark tells the browser the page is UTF-8, so names with
    // letters beyond ASCII show as they are.
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + MakeSupportRequest(request).toUtf8();
    if (!WriteFileMsg(path, bytes))
        return false;
    // Without a browser that starts the page would sit unseen: say where it is.
    if (open && !open(path))
        ShowMsg(GetText(QStringLiteral("Main_window"), QStringLiteral("stronaZgloszeniaNieOtwarta"))
                    + QLatin1Char('\n') + QDir::toNativeSeparators(path),
                false);
    return true;
}
