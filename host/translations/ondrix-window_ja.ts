<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>jobagent::JobWindow</name>
    <message>
        <source>Job Handling: %1</source>
        <translation>ジョブ処理: %1</translation>
    </message>
    <message>
        <source>Job:</source>
        <translation>ジョブ:</translation>
    </message>
    <message>
        <source>Printer:</source>
        <translation>プリンター:</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>印刷(&amp;P)</translation>
    </message>
    <message>
        <source>Cancel &amp;Job</source>
        <translation>ジョブを取り消す(&amp;J)</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>印刷</translation>
    </message>
    <message>
        <source>The print system did not take the job: %1</source>
        <translation>印刷システムがジョブを受け付けませんでした: %1</translation>
    </message>
    <message>
        <source>Cancel Job</source>
        <translation>ジョブの取り消し</translation>
    </message>
    <message>
        <source>The print system did not cancel the job: %1</source>
        <translation>印刷システムがジョブを取り消せませんでした: %1</translation>
    </message>
</context>
<context>
    <name>printdialog::PanelPage</name>
    <message>
        <source>Summary</source>
        <translation>概要</translation>
    </message>
</context>
<context>
    <name>printdialog::PrintWindow</name>
    <message>
        <source>Print</source>
        <translation>印刷</translation>
    </message>
    <message>
        <source>Demo: %1</source>
        <translation>デモ: %1</translation>
    </message>
    <message>
        <source>P&amp;rinter:</source>
        <translation>プリンター(&amp;R):</translation>
    </message>
    <message>
        <source>General</source>
        <translation>一般</translation>
    </message>
    <message>
        <source>Printer Options</source>
        <translation>プリンターのオプション</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>印刷(&amp;P)</translation>
    </message>
    <message>
        <source>All pages (or e.g. 1-4, 7)</source>
        <translation>すべてのページ (または 1-4, 7 など)</translation>
    </message>
    <message>
        <source>Files:</source>
        <translation>ファイル:</translation>
    </message>
    <message>
        <source>&amp;Copies:</source>
        <translation>部数(&amp;C):</translation>
    </message>
    <message>
        <source>Pa&amp;ges:</source>
        <translation>ページ(&amp;G):</translation>
    </message>
    <message>
        <source>No printer.</source>
        <translation>プリンターがありません。</translation>
    </message>
    <message>
        <source>No print queue of this machine has an Ondrix printer: showing the demo models.</source>
        <translation>このコンピューターのプリントキューに Ondrix プリンターがありません: デモモデルを表示します。</translation>
    </message>
    <message>
        <source>No print scheduler answers: showing the demo models.</source>
        <translation>印刷スケジューラーが応答しません: デモモデルを表示します。</translation>
    </message>
    <message>
        <source>Device: %1</source>
        <translation>デバイス: %1</translation>
    </message>
    <message>
        <source>Print settings</source>
        <translation>印刷設定</translation>
    </message>
    <message>
        <source>Job Handling</source>
        <translation>ジョブ処理</translation>
    </message>
    <message>
        <source>This printer has no options of its own.</source>
        <translation>このプリンターには固有のオプションがありません。</translation>
    </message>
    <message>
        <source>This choice conflicts with another option of the printer.</source>
        <translation>この選択はプリンターの別のオプションと競合します。</translation>
    </message>
    <message>
        <source>&lt;i&gt;This printer has no Job Handling panel.&lt;/i&gt;</source>
        <translation>&lt;i&gt;このプリンターにはジョブ処理パネルがありません。&lt;/i&gt;</translation>
    </message>
    <message>
        <source>Files to print</source>
        <translation>印刷するファイル</translation>
    </message>
    <message>
        <source>Choose a file to print.</source>
        <translation>印刷するファイルを選択してください。</translation>
    </message>
    <message>
        <source>The pages are not a list of page numbers and ranges such as 1-4, 7.</source>
        <translation>ページの指定が 1-4, 7 のようなページ番号と範囲のリストではありません。</translation>
    </message>
    <message>
        <source>Demo printer</source>
        <translation>デモプリンター</translation>
    </message>
    <message>
        <source>A real printer would receive this job with these options:

</source>
        <translation>実際のプリンターはこのジョブを次のオプションで受け取ります:

</translation>
    </message>
    <message>
        <source>CUPS did not take the job: %1</source>
        <translation>CUPS がジョブを受け付けませんでした: %1</translation>
    </message>
    <message>
        <source>C&amp;hoose…</source>
        <translation>選択(&amp;H)…</translation>
    </message>
</context>
<context>
    <name>toolkits::qt::Naming</name>
    <message>
        <source>Hold %1</source>
        <translation>%1を保持</translation>
    </message>
</context>
</TS>
