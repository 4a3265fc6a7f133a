object F: TFuzzForm
  object Item1: TFuzzItem
    Caption = 'a'#13'b' +
      'c'
    Width = -$10
    Flag = True
    Kind = fkTwo
    Kinds = [fkOne, fkTwo]
    Ratio = 1.5
    Buddy = Item2
    Data = {0A0B}
    Font.Name = 'Arial'
    Lines.Strings = ('x' 'y')
    OnClick = Click
  end
  object Item2: TFuzzItem
  end
end
