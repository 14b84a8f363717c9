<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>AlarmNotifier</name>
    <message>
        <source>Channel %1 busy</source>
        <translation>チャネル %1 使用中</translation>
    </message>
    <message>
        <source>%1 MHz at %2 dBm (%3)</source>
        <translation>%1 MHz、%2 dBm (%3)</translation>
    </message>
</context>
<context>
    <name>AlarmWatch</name>
    <message>
        <source>the rules changed</source>
        <translation>規則が変更されました</translation>
    </message>
</context>
<context>
    <name>AlarmsPane</name>
    <message>
        <source>&amp;Notify</source>
        <translation>通知(&amp;N)</translation>
    </message>
    <message>
        <source>S&amp;ound</source>
        <translation>音(&amp;O)</translation>
    </message>
    <message>
        <source>On</source>
        <translation>有効</translation>
    </message>
    <message>
        <source>Rule</source>
        <translation>規則</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>チャネル</translation>
    </message>
    <message>
        <source>MHz</source>
        <translation>MHz</translation>
    </message>
    <message>
        <source>dBm</source>
        <translation>dBm</translation>
    </message>
    <message>
        <source>For (s)</source>
        <translation>継続 (秒)</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>追加(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>削除(&amp;R)</translation>
    </message>
    <message>
        <source>Rules: ch=all|N|N-M,above=LEVEL[,for=D][,clear=LEVEL][,clear-for=D]</source>
        <translation>規則: ch=all|N|N-M,above=LEVEL[,for=D][,clear=LEVEL][,clear-for=D]</translation>
    </message>
    <message>
        <source>Raised now</source>
        <translation>発生中のアラーム</translation>
    </message>
    <message>
        <source>Last events</source>
        <translation>最近のイベント</translation>
    </message>
    <message>
        <source>From the command line: for this session only</source>
        <translation>コマンドラインから指定: このセッションのみ有効</translation>
    </message>
    <message>
        <source>%1 channel %2 (%3 MHz) raised at %4 dBm (%5)</source>
        <translation>%1 チャネル %2 (%3 MHz) が %4 dBm で発報 (%5)</translation>
    </message>
    <message>
        <source>%1 channel %2 (%3 MHz) cleared at %4 dBm after %5 s, peak %6 dBm (%7)</source>
        <translation>%1 チャネル %2 (%3 MHz) が %4 dBm で解除、継続 %5 秒、ピーク %6 dBm (%7)</translation>
    </message>
    <message>
        <source>%1 channel %2 (%3 MHz) ended at %4 dBm after %5 s, peak %6 dBm: %7 (%8)</source>
        <translation>%1 チャネル %2 (%3 MHz) が %4 dBm で終了、継続 %5 秒、ピーク %6 dBm: %7 (%8)</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Add alarm RULE for this session (repeatable): ch=all|N|N-M,above=LEVEL[,for=D][,clear=LEVEL][,clear-for=D].</source>
        <translation>このセッションにアラーム規則 RULE を追加します (複数指定可): ch=all|N|N-M,above=LEVEL[,for=D][,clear=LEVEL][,clear-for=D]。</translation>
    </message>
    <message>
        <source>RULE</source>
        <translation>RULE</translation>
    </message>
    <message>
        <source>Monitor of the received signal strength on the 40 channels of a KVT-318 radio module.

Exit status: 0 when the window closes, 1 when the recording file cannot be opened, 2 on a bad command line.</source>
        <translation>KVT-318 無線モジュールの 40 チャネルの受信信号強度を監視します。

終了ステータス: ウィンドウを閉じたとき 0、記録ファイルを開けないとき 1、コマンドラインが誤っているとき 2。</translation>
    </message>
    <message>
        <source>Record every complete sweep of every run to FILE (CSV; rows are appended, the header is written when the file is new or empty).</source>
        <translation>すべての測定の完了したスイープを FILE に記録します (CSV。行は追記され、ヘッダーはファイルが新規または空のときに書かれます)。</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>Open the history window at start.</source>
        <translation>起動時に履歴ウィンドウを開きます。</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>予期しない引数: %1</translation>
    </message>
    <message>
        <source>Open the history window at start, showing recording FILE.</source>
        <translation>起動時に履歴ウィンドウを開き、記録ファイル FILE を表示します。</translation>
    </message>
    <message>
        <source>URL[#RECEIVER]</source>
        <translation>URL[#受信機]</translation>
    </message>
    <message>
        <source>Watch scanners publishing to the MQTT broker at URL (mqtt://HOST[:PORT] or mqtts://HOST[:PORT]): the list of its receivers at start, or with #RECEIVER that receiver's history window.</source>
        <translation>URL の MQTT ブローカー (mqtt://HOST[:PORT] または mqtts://HOST[:PORT]) に送信しているスキャナを監視します。起動時にその受信機の一覧を、#受信機 を付けるとその受信機の履歴ウィンドウを開きます。</translation>
    </message>
    <message>
        <source>bad broker URL '%1': expected mqtt://HOST[:PORT] or mqtts://HOST[:PORT]</source>
        <translation>ブローカーの URL '%1' が正しくありません: mqtt://HOST[:PORT] または mqtts://HOST[:PORT] の形式です</translation>
    </message>
    <message>
        <source>bad receiver name '%1': letters, digits, '-', '_' and '.' only</source>
        <translation>受信機名 '%1' が正しくありません: 英字、数字、'-'、'_'、'.' のみ使えます</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>KVT-318 Shortcuts</source>
        <translation>KVT-318 ショートカット</translation>
    </message>
    <message>
        <source>Shortcuts</source>
        <translation>ショートカット</translation>
    </message>
    <message>
        <source>Open the history window, or raise it</source>
        <translation>履歴ウィンドウを開く、または前面に出す</translation>
    </message>
    <message>
        <source>Save the chart as a PNG image</source>
        <translation>チャートを PNG 画像として保存</translation>
    </message>
    <message>
        <source>Reset the held maximum to the latest readings</source>
        <translation>保持している最大値を最新の測定値に戻す</translation>
    </message>
    <message>
        <source>This help</source>
        <translation>このヘルプ</translation>
    </message>
    <message>
        <source>Command line of kvt318-monitor</source>
        <translation>kvt318-monitor のコマンドライン</translation>
    </message>
    <message>
        <source>Record every complete sweep of every run to FILE (CSV, appended)</source>
        <translation>すべての完了したスイープを FILE に記録 (CSV、追記)</translation>
    </message>
    <message>
        <source>Open the history window at start</source>
        <translation>起動時に履歴ウィンドウを開く</translation>
    </message>
    <message>
        <source>Show the options and exit</source>
        <translation>オプションを表示して終了</translation>
    </message>
    <message>
        <source>Show the version and exit</source>
        <translation>バージョンを表示して終了</translation>
    </message>
    <message>
        <source>In the history window: open a recording</source>
        <translation>履歴ウィンドウで: 記録を開く</translation>
    </message>
    <message>
        <source>In the history window: clear the selected span</source>
        <translation>履歴ウィンドウで: 選択した範囲を解除</translation>
    </message>
    <message>
        <source>Open the history window at start, showing recording FILE</source>
        <translation>起動時に履歴ウィンドウを開き、記録ファイル FILE を表示</translation>
    </message>
    <message>
        <source>Watch the scanners of an MQTT broker: its receivers listed at start, or RECEIVER's history window</source>
        <translation>MQTT ブローカーのスキャナを監視: 起動時に受信機の一覧、または RECEIVER の履歴ウィンドウを開く</translation>
    </message>
</context>
<context>
    <name>MonitorProgram</name>
    <message>
        <source>Alarms</source>
        <translation>アラーム</translation>
    </message>
    <message>
        <source>the run stopped</source>
        <translation>測定が停止しました</translation>
    </message>
    <message>
        <source>the run ended: %1</source>
        <translation>測定が終了しました: %1</translation>
    </message>
    <message>
        <source>recording stopped: %1</source>
        <translation>記録を停止しました: %1</translation>
    </message>
    <message>
        <source>Recording stopped</source>
        <translation>記録を停止しました</translation>
    </message>
    <message>
        <source>Recording stopped: %1</source>
        <translation>記録を停止しました: %1</translation>
    </message>
    <message>
        <source>%1: rows not written: %2</source>
        <translation>%1: 書き込めなかった行: %2</translation>
    </message>
    <message>
        <source>Save chart image</source>
        <translation>チャート画像の保存</translation>
    </message>
    <message>
        <source>PNG images (*.png)</source>
        <translation>PNG 画像 (*.png)</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>KVT-318 History</source>
        <translation>KVT-318 履歴</translation>
    </message>
    <message>
        <source> dBm</source>
        <translation> dBm</translation>
    </message>
    <message>
        <source>Occupancy &amp;threshold:</source>
        <translation>占有率のしきい値(&amp;T):</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>閉じる(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Clear history</source>
        <translation>履歴を消去(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>%1 sweeps/s</source>
        <translation>%1 スイープ/秒</translation>
    </message>
    <message>
        <source>&amp;Show:</source>
        <translation>表示(&amp;S):</translation>
    </message>
    <message>
        <source>Times in &amp;UTC</source>
        <translation>時刻を UTC で表示(&amp;U)</translation>
    </message>
    <message>
        <source>Waiting for the first sweep: start the monitor, or open a recording (File → Open recording…).</source>
        <translation>最初のスイープを待っています。モニタを開始するか、記録を開いてください (ファイル → 記録を開く…)。</translation>
    </message>
    <message>
        <source>This recording holds no complete sweep.</source>
        <translation>この記録には完了したスイープがありません。</translation>
    </message>
    <message>
        <source>%1 sweeps</source>
        <translation>%1 スイープ</translation>
    </message>
    <message>
        <source>Stat&amp;istics</source>
        <translation>統計(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;Occupancy</source>
        <translation>占有率(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;By hour</source>
        <translation>時間帯別(&amp;B)</translation>
    </message>
    <message>
        <source>Pla&amp;n</source>
        <translation>チャネル計画(&amp;N)</translation>
    </message>
</context>
<context>
    <name>BaselineControls</name>
    <message>
        <source>Com&amp;pare with…</source>
        <translation>比較対象(&amp;P)…</translation>
    </message>
    <message>
        <source>C&amp;lear baseline</source>
        <translation>比較対象を解除(&amp;L)</translation>
    </message>
    <message>
        <source>Compare with</source>
        <translation>比較対象</translation>
    </message>
    <message>
        <source>Recordings and summaries (*.csv *.jsonl *.gz);;All files (*)</source>
        <translation>記録ファイルと集計 (*.csv *.jsonl *.gz);;すべてのファイル (*)</translation>
    </message>
</context>
<context>
    <name>ExportControls</name>
    <message>
        <source>Save &amp;waterfall image…</source>
        <translation>ウォーターフォール画像を保存(&amp;W)…</translation>
    </message>
    <message>
        <source>&amp;Export statistics (CSV)…</source>
        <translation>統計をエクスポート (CSV)(&amp;E)…</translation>
    </message>
    <message>
        <source>Export &amp;trace for frequency planning</source>
        <translation>周波数計画用トレースをエクスポート(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Held maximum…</source>
        <translation>最大値ホールド(&amp;H)…</translation>
    </message>
    <message>
        <source>&amp;Mean…</source>
        <translation>平均(&amp;M)…</translation>
    </message>
    <message>
        <source>Me&amp;dian…</source>
        <translation>中央値(&amp;D)…</translation>
    </message>
    <message>
        <source>&amp;90th percentile…</source>
        <translation>90 パーセンタイル(&amp;9)…</translation>
    </message>
    <message>
        <source>Save waterfall image</source>
        <translation>ウォーターフォール画像の保存</translation>
    </message>
    <message>
        <source>PNG images (*.png)</source>
        <translation>PNG 画像 (*.png)</translation>
    </message>
    <message>
        <source>Export statistics</source>
        <translation>統計のエクスポート</translation>
    </message>
    <message>
        <source>Export trace for frequency planning</source>
        <translation>周波数計画用トレースのエクスポート</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV ファイル (*.csv)</translation>
    </message>
</context>
<context>
    <name>HistorySource</name>
    <message>
        <source>Live</source>
        <translation>ライブ</translation>
    </message>
    <message>
        <source>&amp;Open recording…</source>
        <translation>記録を開く(&amp;O)…</translation>
    </message>
    <message>
        <source>Open recording</source>
        <translation>記録を開く</translation>
    </message>
    <message>
        <source>Recordings (*.csv *.jsonl *.gz);;All files (*)</source>
        <translation>記録ファイル (*.csv *.jsonl *.gz);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>%1 sweeps</source>
        <translation>%1 スイープ</translation>
    </message>
    <message>
        <source>%1 damaged lines skipped</source>
        <translation>破損した %1 行を読み飛ばしました</translation>
    </message>
</context>
<context>
    <name>LoadProgress</name>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>RecordingControls</name>
    <message>
        <source>&amp;Record to CSV…</source>
        <translation>CSV に記録(&amp;R)…</translation>
    </message>
    <message>
        <source>S&amp;top recording</source>
        <translation>記録を停止(&amp;T)</translation>
    </message>
    <message numerus="yes">
        <source>Recording to %1: %n row(s) written</source>
        <translation>
            <numerusform>%1 に記録中: %n 行書き込み済み</numerusform>
        </translation>
    </message>
    <message>
        <source>Recording stopped: %1</source>
        <translation>記録を停止しました: %1</translation>
    </message>
    <message>
        <source>Not recording</source>
        <translation>記録していません</translation>
    </message>
    <message>
        <source>Record to CSV</source>
        <translation>CSV に記録</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV ファイル (*.csv)</translation>
    </message>
</context>
<context>
    <name>MonitorActions</name>
    <message>
        <source>&amp;History</source>
        <translation>履歴(&amp;H)</translation>
    </message>
    <message>
        <source>Save &amp;chart image…</source>
        <translation>チャート画像を保存(&amp;C)…</translation>
    </message>
    <message>
        <source>&amp;Reset max hold</source>
        <translation>最大値ホールドをリセット(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Shortcuts</source>
        <translation>ショートカット(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Watch a remote scanner…</source>
        <translation>リモートスキャナを監視(&amp;W)…</translation>
    </message>
</context>
<context>
    <name>HoursBox</name>
    <message>
        <source>Hours</source>
        <translation>時間帯</translation>
    </message>
    <message>
        <source>every hour</source>
        <translation>すべての時間</translation>
    </message>
    <message>
        <source>Only readings in these hours of local time count, in every view and export.
Days, then a time span; several separated by &apos;;&apos;, e.g.
Mon-Fri 08:00-18:00; Sat,Sun 00:00-24:00
A span whose end is before its start runs past midnight. Empty: every hour.</source>
        <translation>現地時刻のこの時間帯の測定値だけを、すべての表示と書き出しで数えます。
曜日、続けて時間帯。複数は &apos;;&apos; で区切ります。例:
Mon-Fri 08:00-18:00; Sat,Sun 00:00-24:00
終了が開始より前の時間帯は深夜 0 時をまたぎます。空欄: すべての時間。</translation>
    </message>
    <message>
        <source>Hou&amp;rs:</source>
        <translation>時間帯(&amp;R):</translation>
    </message>
</context>
<context>
    <name>HourMapView</name>
    <message>
        <source>Occupancy by hour of the day</source>
        <translation>時間帯別の占有率</translation>
    </message>
    <message>
        <source>Days</source>
        <translation>曜日</translation>
    </message>
    <message>
        <source>The days of the week whose hours the map shows</source>
        <translation>マップに表示する曜日</translation>
    </message>
    <message>
        <source>All days</source>
        <translation>全曜日</translation>
    </message>
    <message>
        <source>Weekdays</source>
        <translation>平日</translation>
    </message>
    <message>
        <source>Weekends</source>
        <translation>週末</translation>
    </message>
    <message>
        <source>&amp;Days:</source>
        <translation>曜日(&amp;D):</translation>
    </message>
    <message>
        <source>Hours of local time; the busy hour of each channel framed.</source>
        <translation>現地時刻の時間帯。各チャンネルの最繁時を枠で示します。</translation>
    </message>
    <message>
        <source>Channel %1, %2:00–%3:00</source>
        <translation>チャンネル %1、%2:00–%3:00</translation>
    </message>
    <message>
        <source>%1 % of %2 readings</source>
        <translation>%2 件の測定値のうち %1 %</translation>
    </message>
    <message>
        <source>No readings</source>
        <translation>測定値なし</translation>
    </message>
    <message>
        <source>Busy hour</source>
        <translation>最繁時</translation>
    </message>
</context>
<context>
    <name>HourMapPainter</name>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
</context>
<context>
    <name>OccupancyView</name>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
</context>
<context>
    <name>StatisticsModel</name>
    <message>
        <source>Channel</source>
        <translation>チャネル</translation>
    </message>
    <message>
        <source>MHz</source>
        <translation>MHz</translation>
    </message>
    <message>
        <source>Min (dBm)</source>
        <translation>最小 (dBm)</translation>
    </message>
    <message>
        <source>Mean (dBm)</source>
        <translation>平均 (dBm)</translation>
    </message>
    <message>
        <source>Max (dBm)</source>
        <translation>最大 (dBm)</translation>
    </message>
    <message>
        <source>Occupancy (%)</source>
        <translation>占有率 (%)</translation>
    </message>
    <message>
        <source>95 % interval (%)</source>
        <translation>95 % 信頼区間 (%)</translation>
    </message>
    <message>
        <source>Busy hour (%)</source>
        <translation>最繁時 (%)</translation>
    </message>
    <message>
        <source>Bursts</source>
        <translation>バースト数</translation>
    </message>
    <message>
        <source>Longest burst (s)</source>
        <translation>最長バースト (秒)</translation>
    </message>
    <message>
        <source>Last above threshold</source>
        <translation>最後にしきい値超え</translation>
    </message>
    <message>
        <source>Baseline occupancy (%)</source>
        <translation>比較対象の占有率 (%)</translation>
    </message>
    <message>
        <source>Occupancy change</source>
        <translation>占有率の変化</translation>
    </message>
    <message>
        <source>Baseline mean (dBm)</source>
        <translation>比較対象の平均 (dBm)</translation>
    </message>
    <message>
        <source>Mean change (dB)</source>
        <translation>平均の変化 (dB)</translation>
    </message>
</context>
<context>
    <name>Recorder</name>
    <message>
        <source>the disk does not keep up</source>
        <translation>ディスクへの書き込みが追いつきません</translation>
    </message>
    <message>
        <source>%1 (rows not written: %2)</source>
        <translation>%1 (書き込めなかった行: %2)</translation>
    </message>
</context>
<context>
    <name>WaterfallPainter</name>
    <message>
        <source>%1 dBm</source>
        <translation>%1 dBm</translation>
    </message>
</context>
<context>
    <name>PlanPane</name>
    <message>
        <source>Channels</source>
        <translation>チャネル数</translation>
    </message>
    <message>
        <source>How many channels the plan proposes.</source>
        <translation>計画で提案するチャネルの数。</translation>
    </message>
    <message>
        <source>Allowed channels</source>
        <translation>使用可能なチャネル</translation>
    </message>
    <message>
        <source>Channels the plan may use: numbers and ranges such as 7-12,30.</source>
        <translation>計画に使ってよいチャネル。番号と範囲で指定します（例: 7-12,30）。</translation>
    </message>
    <message>
        <source>Avoided channels</source>
        <translation>除外するチャネル</translation>
    </message>
    <message>
        <source>Channels the plan must not use.</source>
        <translation>計画に使わないチャネル。</translation>
    </message>
    <message>
        <source>Fixed channels</source>
        <translation>既設のチャネル</translation>
    </message>
    <message>
        <source>Your channels already in use: they count for spacing and products and are never proposed.</source>
        <translation>すでに使っている自局のチャネル。間隔と相互変調の計算に含め、提案には含めません。</translation>
    </message>
    <message>
        <source>Spacing</source>
        <translation>間隔</translation>
    </message>
    <message>
        <source>The least distance in channels between any two plan or fixed channels.</source>
        <translation>計画と既設のチャネルどうしの最小間隔（チャネル数）。</translation>
    </message>
    <message>
        <source>Intermodulation order</source>
        <translation>避ける相互変調の次数</translation>
    </message>
    <message>
        <source>Intermodulation products kept off plan and fixed channels: none, third order (2A−B, A+B−C) or also fifth order (3A−2B, 2A+B−2C).</source>
        <translation>計画と既設のチャネルに落ちないようにする相互変調: なし、3 次（2A−B、A+B−C）、または 5 次まで（3A−2B、2A+B−2C も）。</translation>
    </message>
    <message>
        <source>Product guard</source>
        <translation>相互変調の余裕</translation>
    </message>
    <message>
        <source>A product within this many channels of a plan or fixed channel hits it.</source>
        <translation>計画または既設のチャネルからこのチャネル数以内に落ちる相互変調を妨害とみなします。</translation>
    </message>
    <message>
        <source>Strong carriers</source>
        <translation>強い電波</translation>
    </message>
    <message>
        <source>DBM:K, comma separated: no plan channel within K channels of one whose level reached DBM, that one included.</source>
        <translation>DBM:K をコンマ区切りで。測定中に DBM に達したチャネルから K チャネル以内（そのチャネルを含む）は計画に使いません。</translation>
    </message>
    <message>
        <source>Spares</source>
        <translation>予備</translation>
    </message>
    <message>
        <source>Further channels, each able to replace any one plan channel.</source>
        <translation>計画のどのチャネルとも置き換えられる予備のチャネル数。</translation>
    </message>
    <message>
        <source>P&amp;lan</source>
        <translation>計画(&amp;L)</translation>
    </message>
    <message>
        <source>Plan</source>
        <translation>計画</translation>
    </message>
    <message>
        <source>Search the best channels for the figures shown: the span selected and the hours counted.</source>
        <translation>表示中の集計（選択した範囲と対象の時間帯）から最良のチャネルを探します。</translation>
    </message>
    <message>
        <source>E&amp;xport CSV…</source>
        <translation>CSV に書き出す(&amp;X)…</translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>CSV に書き出す</translation>
    </message>
    <message>
        <source>Save every channel's verdict and reason as CSV.</source>
        <translation>全チャネルの判定と理由を CSV で保存します。</translation>
    </message>
    <message>
        <source>None</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>Third order</source>
        <translation>3 次</translation>
    </message>
    <message>
        <source>Third and fifth order</source>
        <translation>3 次と 5 次</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>チャネル</translation>
    </message>
    <message>
        <source>MHz</source>
        <translation>MHz</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>判定</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>理由</translation>
    </message>
    <message>
        <source>Occupancy %</source>
        <translation>占有率 %</translation>
    </message>
    <message>
        <source>95 % interval</source>
        <translation>95 % 区間</translation>
    </message>
    <message>
        <source>Busy hour</source>
        <translation>最も混む時間帯</translation>
    </message>
    <message>
        <source>Highest dBm</source>
        <translation>最大 dBm</translation>
    </message>
    <message>
        <source>To strong carrier</source>
        <translation>強い電波までの距離</translation>
    </message>
    <message>
        <source>&amp;Channels:</source>
        <translation>チャネル数(&amp;C):</translation>
    </message>
    <message>
        <source>&amp;Allowed:</source>
        <translation>使用可(&amp;A):</translation>
    </message>
    <message>
        <source>Av&amp;oided:</source>
        <translation>除外(&amp;O):</translation>
    </message>
    <message>
        <source>Fixe&amp;d:</source>
        <translation>既設(&amp;D):</translation>
    </message>
    <message>
        <source>S&amp;pacing:</source>
        <translation>間隔(&amp;P):</translation>
    </message>
    <message>
        <source>I&amp;M order:</source>
        <translation>相互変調(&amp;M):</translation>
    </message>
    <message>
        <source>IM &amp;guard:</source>
        <translation>相互変調の余裕(&amp;G):</translation>
    </message>
    <message>
        <source>St&amp;rong DBM:K:</source>
        <translation>強い電波 DBM:K(&amp;R):</translation>
    </message>
    <message>
        <source>Spar&amp;es:</source>
        <translation>予備(&amp;E):</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: “%2” is not a level and a distance such as -60:2</source>
        <translation>%1: “%2” はレベルと距離（-60:2 など）として読めません</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>探索中…</translation>
    </message>
    <message>
        <source>The best %1 of the %2 open channels by measured occupancy: %3.</source>
        <translation>使用可能な %2 チャネルのうち、測定した占有率で最良の %1 チャネル: %3。</translation>
    </message>
    <message>
        <source>%1 channels cannot meet the constraints; at most %2 can, the best of them: %3. Binding: %4.</source>
        <translation>%1 チャネルでは条件を満たせません。満たせるのは最大 %2 チャネルで、その最良の組: %3。制約: %4。</translation>
    </message>
    <message>
        <source>Spares: %1.</source>
        <translation>予備: %1。</translation>
    </message>
    <message>
        <source>Export plan</source>
        <translation>チャネル計画の書き出し</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV ファイル (*.csv)</translation>
    </message>
</context>
<context>
    <name>SurveyReport</name>
    <message>
        <source>Survey report</source>
        <translation>サーベイ報告書</translation>
    </message>
    <message>
        <source>%1 dB above each channel's noise floor</source>
        <translation>各チャネルのノイズフロアより %1 dB 上</translation>
    </message>
    <message>
        <source>%1 dBm</source>
        <translation>%1 dBm</translation>
    </message>
    <message>
        <source>Receiver</source>
        <translation>受信機</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>ポート</translation>
    </message>
    <message>
        <source>Module model</source>
        <translation>モジュール機種</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>ファームウェア</translation>
    </message>
    <message>
        <source>Radio mode</source>
        <translation>無線モード</translation>
    </message>
    <message>
        <source>Sample count</source>
        <translation>サンプル数</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>しきい値</translation>
    </message>
    <message>
        <source>Hours counted</source>
        <translation>集計する時間帯</translation>
    </message>
    <message>
        <source>all</source>
        <translation>全時間</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>End</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Sweeps</source>
        <translation>スイープ数</translation>
    </message>
    <message>
        <source>Readings</source>
        <translation>測定値数</translation>
    </message>
    <message>
        <source>Gaps and reconnects</source>
        <translation>欠測・再接続</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>記録ファイル</translation>
    </message>
    <message>
        <source>SHA-256</source>
        <translation>SHA-256</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>ソフトウェア</translation>
    </message>
    <message>
        <source>What was measured</source>
        <translation>測定の概要</translation>
    </message>
    <message>
        <source>Warnings</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>none</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>Occupancy per channel, with its 95 % interval</source>
        <translation>チャネル別占有率と 95 % 区間</translation>
    </message>
    <message>
        <source>The whole period, each row the highest level of its time</source>
        <translation>全期間のウォーターフォール (各行はその時間の最大レベル)</translation>
    </message>
    <message>
        <source>%1 to %2, newest at the top; times are local</source>
        <translation>%1 から %2 まで、最新が上、時刻は現地時刻</translation>
    </message>
    <message>
        <source>Occupancy by hour of the day (local time), each channel's busy hour framed</source>
        <translation>時間帯別占有率 (現地時刻)、枠は各チャネルの最繁時</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>チャネル別統計</translation>
    </message>
    <message>
        <source>Ch</source>
        <translation>CH</translation>
    </message>
    <message>
        <source>MHz</source>
        <translation>MHz</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>最小</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>平均</translation>
    </message>
    <message>
        <source>Median</source>
        <translation>中央値</translation>
    </message>
    <message>
        <source>P90</source>
        <translation>90%値</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>最大</translation>
    </message>
    <message>
        <source>Occupancy %</source>
        <translation>占有率 %</translation>
    </message>
    <message>
        <source>95 % interval</source>
        <translation>95 % 区間</translation>
    </message>
    <message>
        <source>Busy hour</source>
        <translation>最繁時</translation>
    </message>
    <message>
        <source>Bursts</source>
        <translation>バースト数</translation>
    </message>
    <message>
        <source>Longest (s)</source>
        <translation>最長 (秒)</translation>
    </message>
    <message>
        <source>Channel plan</source>
        <translation>チャネル計画</translation>
    </message>
    <message>
        <source>The best %1 of the %2 open channels by measured occupancy: %3</source>
        <translation>使用可能な %2 チャネルのうち、測定した占有率で最良の %1 チャネル: %3</translation>
    </message>
    <message>
        <source>%1 channels cannot meet the constraints; at most %2 can, the best of them: %3</source>
        <translation>%1 チャネルでは制約を満たせません。満たせるのは最大 %2 チャネルで、その最良: %3</translation>
    </message>
    <message>
        <source>Binding: %1</source>
        <translation>制約要因: %1</translation>
    </message>
    <message>
        <source>Spares: %1</source>
        <translation>予備: %1</translation>
    </message>
    <message>
        <source>Constraints: %1, guard %2, spacing %3; allowed %4; avoided %5; fixed %6; strong carriers %7</source>
        <translation>制約: %1、相互変調の余裕 %2、間隔 %3。許可 %4。回避 %5。固定 %6。強信号 %7</translation>
    </message>
    <message>
        <source>Note: %1</source>
        <translation>注: %1</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>判定</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>理由</translation>
    </message>
    <message>
        <source>Alarms</source>
        <translation>アラーム</translation>
    </message>
    <message>
        <source>Raised %1, cleared %2, still raised at the end %3</source>
        <translation>発報 %1 件、解除 %2 件、終了時に発報中 %3 件</translation>
    </message>
    <message>
        <source>The first %1 of %2 events:</source>
        <translation>%2 件のうち最初の %1 件:</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>時刻</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>イベント</translation>
    </message>
    <message>
        <source>dBm</source>
        <translation>dBm</translation>
    </message>
    <message>
        <source>Lasted (s)</source>
        <translation>継続 (秒)</translation>
    </message>
    <message>
        <source>Peak</source>
        <translation>ピーク</translation>
    </message>
    <message>
        <source>Rule</source>
        <translation>規則</translation>
    </message>
    <message>
        <source>no sweep to report</source>
        <translation>報告するスイープがありません</translation>
    </message>
    <message>
        <source>no reading inside the hours %1 to report</source>
        <translation>時間帯 %1 の中に報告する測定値がありません</translation>
    </message>
    <message>
        <source>default</source>
        <translation>既定値</translation>
    </message>
</context>
<context>
    <name>ReportExport</name>
    <message>
        <source>E&amp;xport report…</source>
        <translation>報告書を書き出す(&amp;X)…</translation>
    </message>
    <message>
        <source>set in the window</source>
        <translation>ウィンドウで設定</translation>
    </message>
    <message>
        <source>Nothing to report: %1</source>
        <translation>報告する内容がありません: %1</translation>
    </message>
    <message>
        <source>Export report</source>
        <translation>報告書を書き出す</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF ファイル (*.pdf)</translation>
    </message>
</context>
<context>
    <name>RemoteTexts</name>
    <message>
        <source>Connecting to %1…</source>
        <translation>%1 に接続中…</translation>
    </message>
    <message>
        <source>Connected to %1</source>
        <translation>%1 に接続しました</translation>
    </message>
    <message>
        <source>Broker %1 lost: %2; trying again in %3 s</source>
        <translation>ブローカー %1 との接続が切れました: %2。%3 秒後に再試行します</translation>
    </message>
    <message>
        <source>Broker %1 refused the connection: %2</source>
        <translation>ブローカー %1 が接続を拒否しました: %2</translation>
    </message>
    <message>
        <source>online</source>
        <translation>オンライン</translation>
    </message>
    <message>
        <source>offline</source>
        <translation>オフライン</translation>
    </message>
</context>
<context>
    <name>ReceiverModel</name>
    <message>
        <source>%1/s</source>
        <translation>%1/秒</translation>
    </message>
    <message>
        <source>Receiver</source>
        <translation>受信機</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状態</translation>
    </message>
    <message>
        <source>Last seen</source>
        <translation>最終受信</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>機種</translation>
    </message>
    <message>
        <source>Rate</source>
        <translation>掃引速度</translation>
    </message>
    <message>
        <source>Topics</source>
        <translation>トピック</translation>
    </message>
</context>
<context>
    <name>WatchDialog</name>
    <message>
        <source>mqtt://HOST[:PORT] or mqtts://HOST[:PORT]</source>
        <translation>mqtt://ホスト[:ポート] または mqtts://ホスト[:ポート]</translation>
    </message>
    <message>
        <source>mqtts only; default: the system's</source>
        <translation>mqtts のみ。既定: システムの証明書</translation>
    </message>
    <message>
        <source>none</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>the password is its first line</source>
        <translation>ファイルの 1 行目がパスワード</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>接続(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Watch</source>
        <translation>監視(&amp;W)</translation>
    </message>
    <message>
        <source>Watch a remote scanner</source>
        <translation>リモートスキャナの監視</translation>
    </message>
    <message>
        <source>&amp;Broker:</source>
        <translation>ブローカー(&amp;B):</translation>
    </message>
    <message>
        <source>CA cert&amp;ificates:</source>
        <translation>CA 証明書(&amp;I):</translation>
    </message>
    <message>
        <source>&amp;User:</source>
        <translation>ユーザー(&amp;U):</translation>
    </message>
    <message>
        <source>&amp;Password file:</source>
        <translation>パスワードファイル(&amp;P):</translation>
    </message>
    <message>
        <source>Not a broker URL: %1 (expected mqtt://HOST[:PORT] or mqtts://HOST[:PORT])</source>
        <translation>ブローカーの URL ではありません: %1 (mqtt://HOST[:PORT] または mqtts://HOST[:PORT] の形式です)</translation>
    </message>
    <message>
        <source>CA certificates need an mqtts:// broker URL</source>
        <translation>CA 証明書には mqtts:// のブローカー URL が必要です</translation>
    </message>
</context>
<context>
    <name>RemoteWatch</name>
    <message>
        <source>%1 – KVT-318 History</source>
        <translation>%1 – KVT-318 履歴</translation>
    </message>
    <message>
        <source>Alarms</source>
        <translation>アラーム</translation>
    </message>
    <message>
        <source>%1 %2, last seen %3</source>
        <translation>%1 %2、最終受信 %3</translation>
    </message>
    <message>
        <source>%1 not listed yet</source>
        <translation>%1 はまだ一覧にありません</translation>
    </message>
    <message>
        <source>messages not read: %1 (the last: %2)</source>
        <translation>読めなかったメッセージ: %1 (最後: %2)</translation>
    </message>
    <message>
        <source>Waiting for the first sweep of %1 from the broker.</source>
        <translation>ブローカーから %1 の最初の掃引を待っています。</translation>
    </message>
</context>
<context>
    <name>WarningTexts</name>
    <message>
        <source>the survey covers %1, less than 24 hours: hours of the day it did not see are not measured</source>
        <translation>測定期間は %1 で 24 時間に満たないため、測定していない時間帯があります</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 時間 %2 分</translation>
    </message>
    <message>
        <source>fewer than %1 readings of every channel (fewest %2) at %3: the occupancy there is uncertain</source>
        <translation>%3 は全チャネルの測定値が %1 件未満（最少 %2 件）のため、その時間帯の占有率は不確かです</translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message>
        <source>%1 at %2 (%3)</source>
        <translation>%1（%2、%3 件）</translation>
    </message>
    <message>
        <source>fewer than %1 readings of channel %2: the occupancy there is uncertain</source>
        <translation>チャネル %2 は測定値が %1 件未満のため、その時間帯の占有率は不確かです</translation>
    </message>
    <message>
        <source>%1 (every %2 s, shortest burst %3 s)</source>
        <translation>%1（%2 秒ごと、最短バースト %3 秒）</translation>
    </message>
    <message>
        <source>read less often than twice in the shortest burst, so shorter bursts may be missed: channel %1</source>
        <translation>最短バーストの間に 2 回未満しか測定していないため、より短いバーストを見逃すおそれがあります: チャネル %1</translation>
    </message>
</context>
<context>
    <name>PlanTexts</name>
    <message>
        <source>plan</source>
        <translation>計画</translation>
    </message>
    <message>
        <source>spare</source>
        <translation>予備</translation>
    </message>
    <message>
        <source>fixed</source>
        <translation>既設</translation>
    </message>
    <message>
        <source>not taken</source>
        <translation>不採用</translation>
    </message>
    <message>
        <source>not among the allowed channels</source>
        <translation>使用可能なチャネルに含まれない</translation>
    </message>
    <message>
        <source>avoided</source>
        <translation>使わないチャネルに指定</translation>
    </message>
    <message>
        <source>no readings</source>
        <translation>測定値なし</translation>
    </message>
    <message>
        <source>strong carrier: reached %1 dBm</source>
        <translation>強い信号: %1 dBm に達した</translation>
    </message>
    <message>
        <source>near a strong carrier: channel %1 reached %2 dBm, %3 away</source>
        <translation>強い信号に近い: %3 チャネル離れたチャネル %1 が %2 dBm に達した</translation>
    </message>
    <message>
        <source>too close to channel %1: %2 apart, spacing %3</source>
        <translation>チャネル %1 に近すぎる: 間隔 %2（必要な間隔 %3）</translation>
    </message>
    <message>
        <source>hit by a product of channels %1 (%2)</source>
        <translation>チャネル %1 の相互変調（%2）が落ちる</translation>
    </message>
    <message>
        <source>with channels %1 it makes a product (%2) near channel %3</source>
        <translation>チャネル %1 との相互変調（%2）がチャネル %3 の近くに落ちる</translation>
    </message>
    <message>
        <source>with channels %1 it makes a product (%2) near channel %3, itself</source>
        <translation>チャネル %1 との相互変調（%2）が自身（チャネル %3）の近くに落ちる</translation>
    </message>
    <message>
        <source>with channels %1 it makes a product (%2) on channel %3</source>
        <translation>チャネル %1 との相互変調（%2）がチャネル %3 に落ちる</translation>
    </message>
    <message>
        <source>with channels %1 it makes a product (%2) on channel %3, itself</source>
        <translation>チャネル %1 との相互変調（%2）が自身（チャネル %3）に落ちる</translation>
    </message>
    <message>
        <source>with channel %1 it makes a product (%2) near channel %3</source>
        <translation>チャネル %1 との相互変調（%2）がチャネル %3 の近くに落ちる</translation>
    </message>
    <message>
        <source>with channel %1 it makes a product (%2) near channel %3, itself</source>
        <translation>チャネル %1 との相互変調（%2）が自身（チャネル %3）の近くに落ちる</translation>
    </message>
    <message>
        <source>with channel %1 it makes a product (%2) on channel %3</source>
        <translation>チャネル %1 との相互変調（%2）がチャネル %3 に落ちる</translation>
    </message>
    <message>
        <source>with channel %1 it makes a product (%2) on channel %3, itself</source>
        <translation>チャネル %1 との相互変調（%2）が自身（チャネル %3）に落ちる</translation>
    </message>
    <message>
        <source>busier: occupancy up to %1 %, the plan's worst %2 %</source>
        <translation>占有率が高い: 最大 %1 %（計画内の最悪値 %2 %）</translation>
    </message>
    <message>
        <source>meets the constraints, but the best set leaves it out</source>
        <translation>条件は満たすが、最良の組み合わせに含まれない</translation>
    </message>
    <message>
        <source>without it, %1 would fit</source>
        <translation>これがなければ %1 チャネルまで可能</translation>
    </message>
    <message>
        <source>the allowed and avoided channels leave %1 open; %2</source>
        <translation>使用可能・使わないチャネルの指定で残るのは %1 チャネル。%2</translation>
    </message>
    <message>
        <source>the fixed channels %1; %2</source>
        <translation>既設チャネル %1。%2</translation>
    </message>
    <message>
        <source>a spacing of %1 alone allows at most %2 of the %3 open channels; %4</source>
        <translation>間隔 %1 だけで、使用可能な %3 チャネルのうち最大 %2 チャネルに制限される。%4</translation>
    </message>
    <message>
        <source>a spacing of %1; %2</source>
        <translation>間隔 %1。%2</translation>
    </message>
    <message>
        <source>%1 (guard %2) alone allow at most %3 of the %4 open channels; %5</source>
        <translation>%1（余裕 %2）だけで、使用可能な %4 チャネルのうち最大 %3 チャネルに制限される。%5</translation>
    </message>
    <message>
        <source>%1 (guard %2); %3</source>
        <translation>%1（余裕 %2）。%3</translation>
    </message>
    <message>
        <source>the strong-carrier guard; %1</source>
        <translation>強い信号からの離隔。%1</translation>
    </message>
    <message>
        <source>%1 spares; %2</source>
        <translation>予備 %1 チャネル。%2</translation>
    </message>
    <message>
        <source>no one constraint: they bind together</source>
        <translation>単独で制限する条件はなく、条件の組み合わせで制限される</translation>
    </message>
    <message>
        <source>fixed channels %1 make a product on channel %2 (%3)</source>
        <translation>既設チャネル %1 の相互変調がチャネル %2 に落ちる（%3）</translation>
    </message>
    <message>
        <source>fixed channels %1 make a product near channel %2 (%3)</source>
        <translation>既設チャネル %1 の相互変調がチャネル %2 の近くに落ちる（%3）</translation>
    </message>
    <message>
        <source>no products</source>
        <translation>相互変調なし</translation>
    </message>
    <message>
        <source>third-order products</source>
        <translation>3 次相互変調</translation>
    </message>
    <message>
        <source>third- and fifth-order products</source>
        <translation>3 次と 5 次の相互変調</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 と %2</translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
</context>
</TS>
