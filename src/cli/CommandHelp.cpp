#include "CommandHelp.h"

namespace kumiro {

QString commandLineHelp(bool japanese, const QString& topic)
{
    if (topic == u"combine" && japanese)
        return QStringLiteral(
            "使い方: kumiro combine [オプション]... ファイル...\n"
            "ファイルを指定の順に 1 つにまとめる。2 個以上、数に上限はない。\n"
            "Word 文書 (.doc .rtf .docx .odt)、Excel ブック (.xls .csv .xlsx .xlsm .ods)、\n"
            "テキスト ファイル (.txt と設定で決めた種類) のどれか 1 種類。\n"
            "\n"
            "  --kind=種類          word、excel、text のどれか。なければ拡張子で決まる\n"
            "  -o, --output=出力    書き込むファイル。拡張子で形式が決まる: Word は .doc .docx .odt .pdf .rtf、\n"
            "                       Excel は .xls .xlsx .ods、テキストはそれ以外。なければ設定の\n"
            "                       くみろ先とファイル名に書く\n"
            "  --timeout=秒         LibreOffice の 1 回の処理を待つ上限（既定 1800）\n"
            "  -q, --quiet          成功したときは何も表示しない（取り込めなかったものは表示する）\n"
            "  -h, --help           この使い方を表示する\n"
            "  --                   これより後はすべてファイル名（- で始まるものも）\n"
            "\n"
            "終了コード: 0 成功、1 失敗（何も書かれていない）、2 使い方の誤り、128 + N シグナル N で中止。");
    if (topic == u"combine")
        return QStringLiteral("Usage: kumiro combine [OPTION]... FILE...\n"
                              "Combine the files into one, in the order given: two or more, with no upper limit, of\n"
                              "one kind: Word documents (.doc .rtf .docx .odt), Excel workbooks (.xls .csv .xlsx\n"
                              ".xlsm .ods) or text files (.txt and the patterns of the settings).\n"
                              "\n"
                              "  --kind=KIND          word, excel or text; without it the extensions tell\n"
                              "  -o, --output=FILE    the file to write; its extension chooses the format: Word\n"
                              "                       .doc .docx .odt .pdf .rtf, Excel .xls .xlsx .ods, text any\n"
                              "                       other. Without it: the kind's output folder and name from\n"
                              "                       the settings\n"
                              "  --timeout=SECONDS    the longest one LibreOffice call may take (default 1800)\n"
                              "  -q, --quiet          say nothing on success but what could not be carried\n"
                              "  -h, --help           show this help\n"
                              "  --                   every word after it is a file, even one starting with '-'\n"
                              "\n"
                              "Exit status: 0 success, 1 failure (nothing written), 2 usage error, 128 + N signal N.");
    if (topic == u"convert" && japanese)
        return QStringLiteral(
            "使い方: kumiro convert --to=形式 [オプション]... ファイル...\n"
            "Word 文書とテキスト ファイル (.doc .rtf .docx .odt .txt) をそれぞれ指定の形式に変換し、\n"
            "元のファイルの隣に同じ名前で書く。すべてのファイルを先に確かめる。\n"
            "\n"
            "  --to=形式            txt、doc、rtf、docx、odt、pdf のどれか\n"
            "  --timeout=秒         LibreOffice の 1 回の処理を待つ上限（既定 1800）\n"
            "  -q, --quiet          成功したときは何も表示しない\n"
            "  -h, --help           この使い方を表示する\n"
            "  --                   これより後はすべてファイル名（- で始まるものも）\n"
            "\n"
            "終了コード: 0 成功、1 失敗（失敗より前に変換したファイルは残る）、2 使い方の誤り、\n"
            "128 + N シグナル N で中止。");
    if (topic == u"convert")
        return QStringLiteral("Usage: kumiro convert --to=FORMAT [OPTION]... FILE...\n"
                              "Convert each Word document or text file (.doc .rtf .docx .odt .txt) into FORMAT,\n"
                              "written beside it under the same name. Every file is checked first.\n"
                              "\n"
                              "  --to=FORMAT          txt, doc, rtf, docx, odt or pdf\n"
                              "  --timeout=SECONDS    the longest one LibreOffice call may take (default 1800)\n"
                              "  -q, --quiet          say nothing on success\n"
                              "  -h, --help           show this help\n"
                              "  --                   every word after it is a file, even one starting with '-'\n"
                              "\n"
                              "Exit status: 0 success, 1 failure (the files converted before it stay), 2 usage\n"
                              "error, 128 + N signal N.");
    if (japanese)
        return QStringLiteral(
            "使い方:\n"
            "  kumiro                                         ウィンドウで使う\n"
            "  kumiro combine [--kind word|excel|text] [-o 出力] [--timeout 秒] [-q] ファイル...\n"
            "      ファイルを指定の順に 1 つにまとめる（2 個以上）。種類は --kind か拡張子で決まり、\n"
            "      出力の形式は -o の拡張子で決まる。-o がなければ設定のくみろ先とファイル名に書く。\n"
            "  kumiro convert --to txt|doc|rtf|docx|odt|pdf [--timeout 秒] [-q] ファイル...\n"
            "      ファイルを指定の形式に変換し、元のファイルの隣に書く。\n"
            "  --timeout 秒 は LibreOffice の 1 回の処理を待つ上限（既定 1800）。応答のない LibreOffice は\n"
            "      10 秒で終了させる。-q は成功したときに何も表示しない。\n"
            "  kumiro combine --help、kumiro convert --help でコマンドごとの使い方を表示する。\n"
            "  kumiro --help | --version\n"
            "\n"
            "終了コード: 0 成功、1 失敗（何も書かれていない）、2 使い方の誤り、\n"
            "128 + N シグナル N（Ctrl+C、SIGTERM、SIGHUP）で中止（何も書かれていない）。\n"
            "設定は読むだけで、書き換えない。日本語のロケール (LC_ALL、LC_MESSAGES、LANG) でなければ\n"
            "メッセージは英語になる。");
    return QStringLiteral("Usage:\n"
                          "  kumiro                                          use the window\n"
                          "  kumiro combine [--kind word|excel|text] [-o OUTPUT] [--timeout SECONDS] [-q] FILE...\n"
                          "      Combine two or more files into one, in the order given. The kind comes from\n"
                          "      --kind or from the extensions; the output's extension chooses its format.\n"
                          "      Without -o, the output is the kind's output folder and name from the settings.\n"
                          "  kumiro convert --to txt|doc|rtf|docx|odt|pdf [--timeout SECONDS] [-q] FILE...\n"
                          "      Convert each file; the result is written beside it.\n"
                          "  --timeout SECONDS bounds one LibreOffice call (default 1800); a LibreOffice that\n"
                          "      makes no progress is ended after 10 seconds. -q says nothing on success.\n"
                          "  kumiro combine --help and kumiro convert --help show a command's options.\n"
                          "  kumiro --help | --version\n"
                          "\n"
                          "Exit status: 0 success, 1 failure (nothing written), 2 usage error,\n"
                          "128 + N when signal N (Ctrl+C, SIGTERM, SIGHUP) stopped it (nothing written).\n"
                          "The settings are read, never written. Messages are in Japanese under a Japanese\n"
                          "locale (LC_ALL, LC_MESSAGES, LANG), else in English.");
}

} // namespace kumiro
