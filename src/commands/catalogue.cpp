#include "commands/catalogue.h"

#include <algorithm>
#include <array>

namespace tl
{

namespace
{

using K = ActionKind;

constexpr CommandAction Literal(qint16 code, QStringView text)
{
    return {code, K::Literal, text, {}, {}, {}, {}};
}
// Block pairs, lists and inline pairs: opening and closing text.
constexpr CommandAction Pair(qint16 code, ActionKind kind, QStringView open, QStringView close)
{
    return {code, kind, open, close, {}, {}, {}};
}
// Actions without texts of their own.
constexpr CommandAction Plain(qint16 code, ActionKind kind)
{
    return {code, kind, {}, {}, {}, {}, {}};
}
constexpr CommandAction Wrap(qint16 code, QStringView prefix, QStringView open, QStringView close)
{
    return {code, K::LineWrap, open, close, prefix, {}, {}};
}
constexpr CommandAction Dialog(qint16 code, QStringView name, QStringView caption = {})
{
    return {code, K::Dialog, {}, {}, {}, name, caption};
}
constexpr CommandAction Routine(qint16 code, QStringView name)
{
    return {code, K::Routine, {}, {}, {}, name, {}};
}

// The editor's vocabulary of ready-made HTML and ASP fragments. Texts are written byte for
// byte as they are inserted; line breaks are CR LF.
constexpr CommandAction kCatalogue[] = {
    Pair(1, K::BlockPair, u"<CENTER>", u"</CENTER>"),
    Pair(2, K::List, u"<UL>", u"</UL>"),
    Pair(3, K::List, u"<OL>", u"</OL>"),
    Dialog(5, u"frmLines"),
    Literal(6, u"<BR CLEAR=all>"),
    Dialog(7, u"frmTextBox"),
    Dialog(8, u"frmControl", u"Radio"),
    Dialog(9, u"frmControl", u"CheckBox"),
    Dialog(10, u"frmButton", u"Submit"),
    Dialog(11, u"frmButton", u"Reset"),
    Dialog(12, u"frmTextArea"),
    Dialog(13, u"frmDropDownList"),
    Pair(14, K::BlockPair, u"<BLOCKQUOTE>", u"</BLOCKQUOTE>"),
    Dialog(15, u"frmScroll"),
    Dialog(16, u"frmPage"),
    Dialog(17, u"frmTitle"),
    Pair(18, K::InlinePair, u"<B>", u"</B>"),
    Pair(19, K::InlinePair, u"<I>", u"</I>"),
    Pair(20, K::InlinePair, u"<U>", u"</U>"),
    Pair(21, K::InlinePair, u"<S>", u"</S>"),
    Pair(22, K::InlinePair, u"<SUP>", u"</SUP>"),
    Pair(23, K::InlinePair, u"<SUB>", u"</SUB>"),
    Pair(24, K::InlinePair, u"<BIG>", u"</BIG>"),
    Pair(25, K::InlinePair, u"<SMALL>", u"</SMALL>"),
    Pair(26, K::InlinePair, u"<TT>", u"</TT>"),
    Dialog(27, u"frmBaseFont"),
    Dialog(28, u"frmH"),
    Dialog(29, u"frmFont"),
    Dialog(30, u"frmImg"),
    Dialog(31, u"frmDynsrc"),
    Dialog(32, u"frmSound"),
    Plain(33, K::LineBreaks),
    Dialog(34, u"frmP"),
    Dialog(35, u"frmTable"),
    Dialog(36, u"frmTHD", u"TH"),
    Dialog(37, u"frmTHD", u"TD"),
    Dialog(38, u"frmFrameSet"),
    Dialog(39, u"frmFrame"),
    Dialog(40, u"frmLink"),
    Dialog(41, u"frmMarker"),
    Dialog(42, u"frmForm"),
    Plain(43, K::List),
    Literal(code::LineBreak, u"\r\n"),
    Pair(46, K::InlinePair, u"<PRE>", u"</PRE>"),
    Dialog(47, u"frmHidden"),
    Dialog(48, u"frmComment"),
    Dialog(49, u"frmLinkTarg"),
    Wrap(51, u"Response.Write ", u"\"", u"\""),
    Dialog(52, u"frmCookicattribute"),
    Dialog(53, u"frmIfThen"),
    Dialog(54, u"frmSelect"),
    Dialog(55, u"frmDoLoop"),
    Dialog(56, u"frmForNext"),
    Plain(code::DeleteTag, K::DeleteTag),
    Dialog(58, u"frmFrameAuto"),
    Literal(59, u"<OBJECT RUNAT=Server SCOPE=Application/Session ID=DB "
                u"PROGID=\"ADODB.Connection\"></OBJECT>"),
    Pair(60, K::BlockPair, u"<SCRIPT LANGUAGE=\"VBScript\">", u"</SCRIPT>"),
    Literal(61, u"<%"),
    Literal(62, u"%>"),
    Literal(63, u"<!--#INCLUDE FILE=\"ファイル名\"-->"),
    Literal(64, u"'"),
    Literal(65, u"<% Option Explicit %>"),
    Wrap(66, u"Request.Form ", u"(\"", u"\")"),
    Wrap(67, u"Request.QueryString ", u"(\"", u"\")"),
    Wrap(68, u"Session ", u"(\"", u"\")"),
    Plain(69, K::JoinLeft),
    Wrap(70, {}, u"\" & ", u" & \""),
    Plain(71, K::JoinRight),
    Literal(72, u"'---- CursorTypeEnum Values ----\r\n"
                u"Const adOpenForwardOnly = 0\r\n"
                u"Const adOpenKeyset = 1\r\n"
                u"Const adOpenDynamic = 2\r\n"
                u"Const adOpenStatic = 3\r\n"
                u"\r\n"
                u"'---- LockTypeEnum Values ----\r\n"
                u"Const adLockReadOnly = 1\r\n"
                u"Const adLockPessimistic = 2\r\n"
                u"Const adLockOptimistic = 3\r\n"
                u"Const adLockBatchOptimistic = 4\r\n"),
    Literal(73, u"Set db = Server.CreateObject(\"ADODB.Connection\")\r\n"
                u"db.Open DBSource\r\n"
                u"db.Close"),
    Literal(74, u"strSQL =\"\"\r\n"
                u"Set rs = Server.CreateObject(\"ADODB.Recordset\")\r\n"
                u"rs.Open strSQL, db, 1, 1\r\n"
                u"rs.Close"),
    Literal(75, u"Response.Expires = 0"),
    Literal(76, u"strSQL =\"\"\r\n"
                u"db.Execute(strSQL)"),
    Dialog(77, u"frmMethod"),
    Routine(78, u"FindDefinition"),
    Wrap(79, u"rs.Fields ", u"(\"", u"\")"),
    Dialog(80, u"frmButtonClk"),
    Literal(81, u"Session.Abandon"),
    Wrap(82, u"Response.Redirect ", u"\"", u"\""),
    Literal(83, u"Response.Buffer = True"),
    Literal(84, u"Response.Clear"),
    Literal(85, u"Response.End"),
    Literal(86, u"Session.Timeout ="),
    Pair(87, K::BlockPair, u"<SCRIPT LANGUAGE=VBScript RUNAT=Server>\r\nSub Session_OnStart",
         u"End Sub\r\n</SCRIPT>"),
    Pair(88, K::BlockPair, u"<SCRIPT LANGUAGE=VBScript RUNAT=Server>\r\nSub Session_OnEnd",
         u"End Sub\r\n</SCRIPT>"),
    Literal(89, u"Application.Lock"),
    Wrap(90, u"Application ", u"(\"", u"\")"),
    Literal(91, u"Application.Unlock"),
    Wrap(92, {}, u"<% = ", u" %>"),
    Literal(93, u"On Error Resume Next\r\n"
                u"Err.Clear\r\n"
                u"fp = Server.MapPath(\"FileName.txt\")\r\n"
                u"Set fso = Server.CreateObject(\"Scripting.FileSystemObject\")\r\n"
                u"Set tso = fso.OpenTextFile(fp,1)\r\n"
                u"If Err.Number = 0 Then\r\n"
                u"     Do Until tso.AtEndofStream\r\n"
                u"         Response.Write tso.ReadLine\r\n"
                u"     Loop\r\n"
                u"     fp.Close\r\n"
                u"Else\r\n"
                u"     Response.Write \"エラー発生\" & Err.Number & \"<BR>\"\r\n"
                u"End If"),
    Literal(94, u"On Error Resume Next\r\n"
                u"Err.Clear\r\n"
                u"fp = Server.MapPath(\"FileName.txt\")\r\n"
                u"Set fso = Server.CreateObject(\"Scripting.FileSystemObject\")\r\n"
                u"Set tso = fso.CreateTextFile(fp,True)\r\n"
                u"If Err.Number = 0 Then\r\n"
                u"     tso.WriteLine\" データー書き込み\"\r\n"
                u"     fp.Close\r\n"
                u"Else\r\n"
                u"     Response.Write \"エラー発生\" & Err.Number & \"<BR>\"\r\n"
                u"End If"),
    Wrap(95, u"Server.HTMLEncode", u"(", u")"),
    Dialog(96, u"frmWebSarver"),
};

constexpr bool Ascending()
{
    for (size_t i = 1; i < std::size(kCatalogue); ++i)
        if (kCatalogue[i - 1].code >= kCatalogue[i].code)
            return false;
    return true;
}
static_assert(Ascending(), "the catalogue is searched by bisection");
static_assert(std::size(kCatalogue) == 93, "codes 1 to 96 but 4, 45 and 50");

} // namespace

const CommandAction* FindCommandAction(qint16 code)
{
    const auto* it = std::lower_bound(std::begin(kCatalogue), std::end(kCatalogue), code,
                                      [](const CommandAction& a, qint16 c) { return a.code < c; });
    return it != std::end(kCatalogue) && it->code == code ? it : nullptr;
}

} // namespace tl
