#include "commands/toolbarmap.h"

#include <algorithm>

// The resources are compiled into a static library where nothing references their object
// file, so the linker would drop the pictures; registering them here pulls them in wherever the
// toolbar table is used.
static const int resourcesRegistered = [] {
    Q_INIT_RESOURCE(tagloom);
    return 0;
}();

namespace tl
{

namespace
{

using C = ToolbarCommand;

// Separators split each toolbar into its groups of related buttons.
// clang-format off
constexpr ToolbarButton kButtons[] = {
    // Toolbar: files, editing, search, navigation, stamps, helpers, pages
    {u"Toolbar", u"FileNewButton", u"新規文書", C::NewDocument, 0, false, u":/icons/FileNewButton.svg", u"document-new"},
    {u"Toolbar", u"FileOpenButton", u"文書のオープン", C::OpenDocumentByDialog, 0, false, u":/icons/FileOpenButton.svg", u"document-open"},
    {u"Toolbar", u"FileSaveButton", u"文書の保存", C::SaveDocument, 0, false, u":/icons/FileSaveButton.svg", u"document-save"},
    {u"Toolbar", u"CutButton", u"カット", C::EditCut, 0, true, u":/icons/CutButton.svg", u"edit-cut"},
    {u"Toolbar", u"CopyButton", u"コピー", C::EditCopy, 0, false, u":/icons/CopyButton.svg", u"edit-copy"},
    {u"Toolbar", u"PasteButton", u"貼り付け", C::EditPaste, 0, false, u":/icons/PasteButton.svg", u"edit-paste"},
    {u"Toolbar", u"UndoButton", u"元に戻す", C::EditUndo, 0, false, u":/icons/UndoButton.svg", u"edit-undo"},
    {u"Toolbar", u"FindButton", u"検索", C::ShowFindDialog, 0, true, u":/icons/FindButton.svg", u"edit-find"},
    {u"Toolbar", u"DataButton", u"キーボードデーター", C::ShowUserTexts, 0, false, u":/icons/DataButton.svg", u""},
    {u"Toolbar", u"TopButton", u"文書の最初", C::GoToTop, 0, true, u":/icons/TopButton.svg", u""},
    {u"Toolbar", u"CenteButton", u"文書の中央", C::GoToMiddle, 0, false, u":/icons/CenteButton.svg", u""},
    {u"Toolbar", u"LastButton", u"文書の最後", C::GoToEnd, 0, false, u":/icons/LastButton.svg", u""},
    {u"Toolbar", u"CllFButton", u"文書の改行", C::RunInsertCommand, 44, false, u":/icons/CllFButton.svg", u""},
    {u"Toolbar", u"StampButton", u"スタンプ登録・解除", C::StampCurrentLine, 0, true, u":/icons/StampButton.svg", u""},
    {u"Toolbar", u"JumpButton", u"スタンプにジャンプ", C::ShowStampList, 0, false, u":/icons/JumpButton.svg", u""},
    {u"Toolbar", u"ColorButton", u"カラー表示", C::ShowColorPicker, 0, true, u":/icons/ColorButton.svg", u""},
    {u"Toolbar", u"FilesButton", u"ファイルの選択", C::InsertChosenFilePath, 0, false, u":/icons/FilesButton.svg", u""},
    {u"Toolbar", u"ImgBrowButton", u"ｲﾒｰｼﾞ ﾌﾞﾗｳｻﾞｰ", C::InsertImageReference, 0, false, u":/icons/ImgBrowButton.svg", u""},
    {u"Toolbar", u"MovePreviousFileButton", u"前のページ", C::ShowPreviousDocument, 0, true, u":/icons/MovePreviousFileButton.svg", u""},
    {u"Toolbar", u"MoveNextFileButton", u"次のページ", C::ShowNextDocument, 0, false, u":/icons/MoveNextFileButton.svg", u""},
    {u"Toolbar", u"PageClearButton", u"ページクリア", C::ClearAllPages, 0, false, u":/icons/PageClearButton.svg", u""},
    {u"Toolbar", u"FilesListButton", u"ﾌｧｲﾙ一覧", C::ShowFileList, 0, false, u":/icons/FilesListButton.svg", u""},
    {u"Toolbar", u"LinkListButton", u"リンク先一覧を表示します。", C::ShowLinkList, 0, true, u":/icons/LinkListButton.svg", u""},
    {u"Toolbar", u"EditTextButton", u"EditTextBox", C::ShowScratchText, 0, false, u":/icons/EditTextButton.svg", u""},
    {u"Toolbar", u"ExplorerButton", u"ブラウザー表示", C::ViewInBrowser, 0, false, u":/icons/ExplorerButton.svg", u""},
    // Toolbar1: head, text formatting, lists and blocks, media
    {u"Toolbar1", u"TitleButton", u"タイトル", C::RunInsertCommand, 17, false, u":/icons/TitleButton.svg", u""},
    {u"Toolbar1", u"PageButton", u"ページ設定", C::RunInsertCommand, 16, false, u":/icons/PageButton.svg", u""},
    {u"Toolbar1", u"BaseFontButton", u"標準文字サイズ", C::RunInsertCommand, 27, false, u":/icons/BaseFontButton.svg", u""},
    {u"Toolbar1", u"CommentButton", u"コメント", C::RunInsertCommand, 48, false, u":/icons/CommentButton.svg", u""},
    {u"Toolbar1", u"HButton", u"見出し", C::RunInsertCommand, 28, true, u":/icons/HButton.svg", u""},
    {u"Toolbar1", u"FontButton", u"ｶﾗｰ\u3000フォント\u3000ｻｲｽﾞ指定", C::RunInsertCommand, 29, false, u":/icons/FontButton.svg", u""},
    {u"Toolbar1", u"PButton", u"段落", C::RunInsertCommand, 34, false, u":/icons/PButton.svg", u""},
    {u"Toolbar1", u"BrButton", u"改行", C::RunInsertCommand, 33, false, u":/icons/BrButton.svg", u""},
    {u"Toolbar1", u"BButton", u"太字（ボールド）", C::RunInsertCommand, 18, true, u":/icons/BButton.svg", u""},
    {u"Toolbar1", u"IButton", u"斜体（イタリック）", C::RunInsertCommand, 19, false, u":/icons/IButton.svg", u""},
    {u"Toolbar1", u"UButton", u"アンダーライン", C::RunInsertCommand, 20, false, u":/icons/UButton.svg", u""},
    {u"Toolbar1", u"SButton", u"削除線", C::RunInsertCommand, 21, false, u":/icons/SButton.svg", u""},
    {u"Toolbar1", u"SUPButton", u"文字上付き", C::RunInsertCommand, 22, false, u":/icons/SUPButton.svg", u""},
    {u"Toolbar1", u"SUBButton", u"文字下付き", C::RunInsertCommand, 23, false, u":/icons/SUBButton.svg", u""},
    {u"Toolbar1", u"BIGButton", u"大きい文字", C::RunInsertCommand, 24, false, u":/icons/BIGButton.svg", u""},
    {u"Toolbar1", u"SMALLButton", u"小さい文字", C::RunInsertCommand, 25, false, u":/icons/SMALLButton.svg", u""},
    {u"Toolbar1", u"TTButton", u"タイプライター文字", C::RunInsertCommand, 26, false, u":/icons/TTButton.svg", u""},
    {u"Toolbar1", u"CenterButton", u"センタリング", C::RunInsertCommand, 1, true, u":/icons/CenterButton.svg", u""},
    {u"Toolbar1", u"LinesButton", u"ライン", C::RunInsertCommand, 5, false, u":/icons/LinesButton.svg", u""},
    {u"Toolbar1", u"ListButton", u"一般リスト", C::RunInsertCommand, 2, false, u":/icons/ListButton.svg", u""},
    {u"Toolbar1", u"NListButton", u"ﾅﾝﾊﾞｰ付リスト", C::RunInsertCommand, 3, false, u":/icons/NListButton.svg", u""},
    {u"Toolbar1", u"LIButton", u"リスト", C::RunInsertCommand, 43, false, u":/icons/LIButton.svg", u""},
    {u"Toolbar1", u"IndentButton", u"インデント", C::RunInsertCommand, 14, false, u":/icons/IndentButton.svg", u""},
    {u"Toolbar1", u"ClearButton", u"設定クリア", C::RunInsertCommand, 6, false, u":/icons/ClearButton.svg", u""},
    {u"Toolbar1", u"SuccessButton", u"ソースを表示", C::RunInsertCommand, 46, false, u":/icons/SuccessButton.svg", u""},
    {u"Toolbar1", u"ImgButton", u"イメージ", C::RunInsertCommand, 30, true, u":/icons/ImgButton.svg", u""},
    {u"Toolbar1", u"DynButton", u"ﾋﾞﾃﾞｵ", C::RunInsertCommand, 31, false, u":/icons/DynButton.svg", u""},
    {u"Toolbar1", u"SoundButton", u"サウンド", C::RunInsertCommand, 32, false, u":/icons/SoundButton.svg", u""},
    {u"Toolbar1", u"ScrollButton", u"文字のｽｸﾛｰﾙ", C::RunInsertCommand, 15, false, u":/icons/ScrollButton.svg", u""},
    {u"Toolbar1", u"CatButton", u"タグ削除", C::RunInsertCommand, 57, true, u":/icons/CatButton.svg", u""},
    // Toolbar2: form controls, tables, frames, links, ASP statements, database browser
    {u"Toolbar2", u"FormButton", u"フォーム", C::RunInsertCommand, 42, false, u":/icons/FormButton.svg", u""},
    {u"Toolbar2", u"TxboxButton", u"Ｉｎｐｕｔ\u3000テキストＢｏｘ", C::RunInsertCommand, 7, false, u":/icons/TxboxButton.svg", u""},
    {u"Toolbar2", u"RadioButton", u"Ｉｎｐｕｔ\u3000ﾗｼﾞｵﾎﾞﾀﾝ", C::RunInsertCommand, 8, false, u":/icons/RadioButton.svg", u""},
    {u"Toolbar2", u"CkboxButton", u"Ｉｎｐｕｔ\u3000ﾁｪｯｸBox", C::RunInsertCommand, 9, false, u":/icons/CkboxButton.svg", u""},
    {u"Toolbar2", u"SubmiButton", u"Input\u3000送信ﾎﾞﾀﾝ", C::RunInsertCommand, 10, false, u":/icons/SubmiButton.svg", u""},
    {u"Toolbar2", u"ResetButton", u"Ｉｎｐｕｔ\u3000ﾘｾｯﾄﾎﾞﾀﾝ", C::RunInsertCommand, 11, false, u":/icons/ResetButton.svg", u""},
    {u"Toolbar2", u"ButtonButton", u"Ｉｎｐｕｔ\u3000ﾎﾞﾀﾝ", C::RunInsertCommand, 80, false, u":/icons/ButtonButton.svg", u""},
    {u"Toolbar2", u"TEXTAREAButton", u"Input\u3000入力Box", C::RunInsertCommand, 12, false, u":/icons/TEXTAREAButton.svg", u""},
    {u"Toolbar2", u"DListButton", u"Input\u3000リストBox", C::RunInsertCommand, 13, false, u":/icons/DListButton.svg", u""},
    {u"Toolbar2", u"HiddenButton", u"非表示データー送信", C::RunInsertCommand, 47, false, u":/icons/HiddenButton.svg", u""},
    {u"Toolbar2", u"TableButton", u"テーブル", C::RunInsertCommand, 35, true, u":/icons/TableButton.svg", u""},
    {u"Toolbar2", u"IndexButton", u"テーブル見出し", C::RunInsertCommand, 36, false, u":/icons/IndexButton.svg", u""},
    {u"Toolbar2", u"SelButton", u"テーブルセルデーター", C::RunInsertCommand, 37, false, u":/icons/SelButton.svg", u""},
    {u"Toolbar2", u"FrameButton", u"フレーム", C::RunInsertCommand, 38, true, u":/icons/FrameButton.svg", u""},
    {u"Toolbar2", u"AutoFrameButton", u"フレーム定型入力", C::RunInsertCommand, 58, false, u":/icons/AutoFrameButton.svg", u""},
    {u"Toolbar2", u"FrameSetButton", u"フレーム設定", C::RunInsertCommand, 39, false, u":/icons/FrameSetButton.svg", u""},
    {u"Toolbar2", u"TargetButton", u"ターゲットウィンドウ", C::RunInsertCommand, 49, false, u":/icons/TargetButton.svg", u""},
    {u"Toolbar2", u"LinkButton", u"メール送信\u3000ハイパーリンク", C::RunInsertCommand, 40, true, u":/icons/LinkButton.svg", u""},
    {u"Toolbar2", u"MarkerButton", u"マーカー", C::RunInsertCommand, 41, false, u":/icons/MarkerButton.svg", u""},
    {u"Toolbar2", u"IfThenButton", u"ＩＦ文", C::RunInsertCommand, 53, true, u":/icons/IfThenButton.svg", u""},
    {u"Toolbar2", u"SelectButton", u"Select Case文", C::RunInsertCommand, 54, false, u":/icons/SelectButton.svg", u""},
    {u"Toolbar2", u"DoLoopButton", u"Do Loop文", C::RunInsertCommand, 55, false, u":/icons/DoLoopButton.svg", u""},
    {u"Toolbar2", u"ForNextButton", u"For Next文", C::RunInsertCommand, 56, false, u":/icons/ForNextButton.svg", u""},
    {u"Toolbar2", u"IncludeButton", u"インクルード", C::RunInsertCommand, 63, true, u":/icons/IncludeButton.svg", u""},
    {u"Toolbar2", u"OptionExplicitButton", u"変数を強制する（Option\u3000Explicit）", C::RunInsertCommand, 65, false, u":/icons/OptionExplicitButton.svg", u""},
    {u"Toolbar2", u"ScriptButon", u"Script", C::RunInsertCommand, 60, false, u":/icons/ScriptButon.svg", u""},
    {u"Toolbar2", u"AspStartButton", u"＜％", C::RunInsertCommand, 61, false, u":/icons/AspStartButton.svg", u""},
    {u"Toolbar2", u"AspStartEndButton", u"＜％ ＝\u3000\u3000％＞", C::RunInsertCommand, 92, false, u":/icons/AspStartEndButton.svg", u""},
    {u"Toolbar2", u"AspEndButton", u"％＞", C::RunInsertCommand, 62, false, u":/icons/AspEndButton.svg", u""},
    {u"Toolbar2", u"TenButton", u"Aspコメント", C::RunInsertCommand, 64, false, u":/icons/TenButton.svg", u""},
    {u"Toolbar2", u"MdbTableButton", u"ＭＤＢファイル", C::ShowMdbTable, 0, true, u":/icons/MdbTableButton.svg", u""},
    // Toolbar3: ASP objects, files, quote joins, definitions, database snippets
    {u"Toolbar3", u"ScopeButton", u"Scope", C::RunInsertCommand, 59, false, u":/icons/ScopeButton.svg", u""},
    {u"Toolbar3", u"ApplicationLockButton", u"Application.Lock", C::RunInsertCommand, 89, false, u":/icons/ApplicationLockButton.svg", u""},
    {u"Toolbar3", u"ApplicationButton", u"Application(\" \")", C::RunInsertCommand, 90, false, u":/icons/ApplicationButton.svg", u""},
    {u"Toolbar3", u"ApplicationUnlockButton", u"Application.Unlock", C::RunInsertCommand, 91, false, u":/icons/ApplicationUnlockButton.svg", u""},
    {u"Toolbar3", u"ResponseWriteButton", u"Response.Write(\" \")", C::RunInsertCommand, 51, true, u":/icons/ResponseWriteButton.svg", u""},
    {u"Toolbar3", u"ResponsecooksButton", u"Response.cooks(\" \")", C::RunInsertCommand, 52, false, u":/icons/ResponsecooksButton.svg", u""},
    {u"Toolbar3", u"ResponseRedirectButton", u"Response.Redirect(\" \")", C::RunInsertCommand, 82, false, u":/icons/ResponseRedirectButton.svg", u""},
    {u"Toolbar3", u"ResponseBufferButton", u"Response.Buffer = True", C::RunInsertCommand, 83, false, u":/icons/ResponseBufferButton.svg", u""},
    {u"Toolbar3", u"ResponseClearButton", u"Response.Clear", C::RunInsertCommand, 84, false, u":/icons/ResponseClearButton.svg", u""},
    {u"Toolbar3", u"ResponseEndButton", u"Response.End", C::RunInsertCommand, 85, false, u":/icons/ResponseEndButton.svg", u""},
    {u"Toolbar3", u"ResponseExpiresButton", u"Response.Expires=0", C::RunInsertCommand, 75, false, u":/icons/ResponseExpiresButton.svg", u""},
    {u"Toolbar3", u"WebSarverButton", u"WebSarver環境変数", C::RunInsertCommand, 96, true, u":/icons/WebSarverButton.svg", u""},
    {u"Toolbar3", u"RequestFormButton", u"Request.Form(\" \")", C::RunInsertCommand, 66, false, u":/icons/RequestFormButton.svg", u""},
    {u"Toolbar3", u"RequestQueryStringButton", u"Request.QueryString(\" \")", C::RunInsertCommand, 67, false, u":/icons/RequestQueryStringButton.svg", u""},
    {u"Toolbar3", u"SessionButton", u"Session(\" \")", C::RunInsertCommand, 68, true, u":/icons/SessionButton.svg", u""},
    {u"Toolbar3", u"SessionAbandonButton", u"セッションの破棄", C::RunInsertCommand, 81, false, u":/icons/SessionAbandonButton.svg", u""},
    {u"Toolbar3", u"SessionTimeoutButton", u"セッションのタイムアウト", C::RunInsertCommand, 86, false, u":/icons/SessionTimeoutButton.svg", u""},
    {u"Toolbar3", u"SessionOnStartButton", u"Session_OnStart", C::RunInsertCommand, 87, false, u":/icons/SessionOnStartButton.svg", u""},
    {u"Toolbar3", u"Session_OnEnd", u"Session_OnEnd", C::RunInsertCommand, 88, false, u":/icons/Session_OnEnd.svg", u""},
    {u"Toolbar3", u"FileReadButton", u"ファイルの読み込み", C::RunInsertCommand, 93, true, u":/icons/FileReadButton.svg", u""},
    {u"Toolbar3", u"FileWriteButton", u"ファイルへ書き込み", C::RunInsertCommand, 94, false, u":/icons/FileWriteButton.svg", u""},
    {u"Toolbar3", u"EncodeButton", u"エンコード規則の適用", C::RunInsertCommand, 95, false, u":/icons/EncodeButton.svg", u""},
    {u"Toolbar3", u"FieldsButton", u"Fields (\" \")", C::RunInsertCommand, 79, true, u":/icons/FieldsButton.svg", u""},
    {u"Toolbar3", u"TenLeftButton", u"\" ・", C::RunInsertCommand, 69, true, u":/icons/TenLeftButton.svg", u""},
    {u"Toolbar3", u"TenBothButton", u"\" ・       ・ \"", C::RunInsertCommand, 70, false, u":/icons/TenBothButton.svg", u""},
    {u"Toolbar3", u"TenRightButton", u"・ \"", C::RunInsertCommand, 71, false, u":/icons/TenRightButton.svg", u""},
    {u"Toolbar3", u"SubFindButton", u"定義 を検索 又は元の場所に戻る", C::RunInsertCommand, 78, true, u":/icons/SubFindButton.svg", u""},
    {u"Toolbar3", u"FixedNumberButton", u"db定数", C::RunInsertCommand, 72, true, u":/icons/FixedNumberButton.svg", u""},
    {u"Toolbar3", u"dbButton", u"ﾃﾞｰﾀｰﾍﾞｰｽｵｰﾌﾟﾝ", C::RunInsertCommand, 73, false, u":/icons/dbButton.svg", u""},
    {u"Toolbar3", u"rsButton", u"ﾚｺｰﾄﾞｾｯﾄ", C::RunInsertCommand, 74, false, u":/icons/rsButton.svg", u""},
    {u"Toolbar3", u"dbExecuteButton", u"ｸｴﾘｰ実行", C::RunInsertCommand, 76, false, u":/icons/dbExecuteButton.svg", u""},
    {u"Toolbar3", u"MethodButton", u"Recordsetメソッド", C::RunInsertCommand, 77, false, u":/icons/MethodButton.svg", u""},
};
// clang-format on

constexpr std::array<QStringView, 4> kToolbars = {u"Toolbar", u"Toolbar1", u"Toolbar2",
                                                  u"Toolbar3"};

} // namespace

std::array<QStringView, 4> ToolbarNames()
{
    return kToolbars;
}

std::span<const ToolbarButton> ToolbarButtons()
{
    return kButtons;
}

std::span<const ToolbarButton> ToolbarButtons(QStringView toolbar)
{
    const auto onToolbar = [toolbar](const ToolbarButton& b) { return b.toolbar == toolbar; };
    const auto first = std::find_if(std::begin(kButtons), std::end(kButtons), onToolbar);
    const auto last = std::find_if_not(first, std::end(kButtons), onToolbar);
    return {first, last};
}

const ToolbarButton* FindToolbarButton(QStringView toolbar, QStringView key)
{
    for (const ToolbarButton& b : ToolbarButtons(toolbar)) {
        if (b.key == key)
            return &b;
    }
    return nullptr;
}

QIcon ToolbarIcon(const ToolbarButton& button)
{
    QIcon own(button.iconPath.toString());
    if (button.themeIcon.isEmpty())
        return own;
    return QIcon::fromTheme(button.themeIcon.toString(), own);
}

} // namespace tl
