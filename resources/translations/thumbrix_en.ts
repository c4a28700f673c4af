<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja_JP">
<context>
    <name>CoreText</name>
    <message>
        <source>格納先を設定してください</source>
        <translation>Please set the destination folder</translation>
    </message>
    <message>
        <source>ファイル %1 を作成できません</source>
        <translation>Cannot create file %1</translation>
    </message>
    <message>
        <source>ファイル %1 を開けません</source>
        <translation>Cannot open file %1</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>Cannot write to %1</translation>
    </message>
    <message>
        <source>JPEG エラー #%1</source>
        <translation>JPEG error #%1</translation>
    </message>
    <message>
        <source>ストリームの読み込みエラー</source>
        <translation>Stream read error</translation>
    </message>
    <message>
        <source>ストリームの書き込みエラー</source>
        <translation>Stream write error</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Thumbrix</source>
        <translation>Thumbrix</translation>
    </message>
    <message>
        <source>ThumbnailSize</source>
        <translation>ThumbnailSize</translation>
    </message>
    <message>
        <source>Jpeg Option</source>
        <translation>Jpeg Option</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>Progressive</source>
        <translation>Progressive</translation>
    </message>
    <message>
        <source>Best Quality</source>
        <translation>Best Quality</translation>
    </message>
    <message>
        <source>Smoothing</source>
        <translation>Smoothing</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>処理開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>日付は変えない</source>
        <translation>Keep dates</translation>
    </message>
    <message>
        <source>格納先指定</source>
        <translation>Save to</translation>
    </message>
    <message>
        <source>FileName</source>
        <translation>FileName</translation>
    </message>
    <message>
        <source>＋ FileName ＋</source>
        <translation>+ FileName +</translation>
    </message>
    <message>
        <source>＋ .JPG</source>
        <translation>+ .JPG</translation>
    </message>
    <message>
        <source>FileName prefix</source>
        <translation>FileName prefix</translation>
    </message>
    <message>
        <source>FileName suffix</source>
        <translation>FileName suffix</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progress</translation>
    </message>
</context>
<context>
    <name>TForm3</name>
    <message>
        <source>Thumbrix - プレビュー</source>
        <translation>Thumbrix - Preview</translation>
    </message>
    <message>
        <source>All (BMP &amp; JPEG) (*.bmp *.jpg *.jpeg)</source>
        <translation>All (BMP &amp; JPEG) (*.bmp *.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>Bitmap files (*.bmp)</source>
        <translation>Bitmap files (*.bmp)</translation>
    </message>
    <message>
        <source>JPEG files (*.jpg *.jpeg)</source>
        <translation>JPEG files (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Folders</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>Thumbnail</source>
        <translation>Thumbnail</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>倍率(&amp;M)</source>
        <translation>&amp;Magnification</translation>
    </message>
    <message>
        <source>x 1</source>
        <translation>x 1</translation>
    </message>
    <message>
        <source>x 2</source>
        <translation>x 2</translation>
    </message>
    <message>
        <source>x 3</source>
        <translation>x 3</translation>
    </message>
    <message>
        <source>x 4</source>
        <translation>x 4</translation>
    </message>
    <message>
        <source>x 8</source>
        <translation>x 8</translation>
    </message>
    <message>
        <source>クリップボードを開くことができません</source>
        <translation>Cannot open the clipboard</translation>
    </message>
    <message>
        <source>表示中の画像ファイルには保存できません</source>
        <translation>Cannot save over the picture being previewed</translation>
    </message>
</context>
</TS>
